#include <ias/CCioKey.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioKey.h"

namespace ias {

CBlob CCioKey::id() const {
    return ReadCio<CBlob>(*this, &IAS::CCioKey::id);
}

unsigned int CCioKey::usage() const {
    return ReadCio<unsigned int>(*this, &IAS::CCioKey::usage);
}

bool CCioKey::native() const {
    return ReadCio<bool>(*this, &IAS::CCioKey::native);
}

unsigned int CCioKey::accessFlags() const {
    return ReadCio<unsigned int>(*this, &IAS::CCioKey::accessFlags);
}

bool CCioKey::accessFlagsDefined() const {
    return ReadCio<bool>(*this, &IAS::CCioKey::accessFlagsDefined);
}

int CCioKey::keyReference() const {
    return ReadCio<int>(*this, &IAS::CCioKey::keyReference);
}

std::string CCioKey::startDate() const {
    return ReadCio<std::string>(*this, &IAS::CCioKey::startDate);
}

std::string CCioKey::endDate() const {
    return ReadCio<std::string>(*this, &IAS::CCioKey::endDate);
}

std::vector<int> CCioKey::algReference() const {
    return ReadCio<std::vector<int>>(*this, &IAS::CCioKey::algReference);
}

} // namespace ias
