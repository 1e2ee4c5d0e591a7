#include <ias/CCioPrivateKey.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioPrivateKey.h"

namespace ias {

CBlob CCioPrivateKey::name() const {
    return ReadCio<CBlob>(*this, &IAS::CCioPrivateKey::name);
}

CBlob CCioPrivateKey::generalName() const {
    return ReadCio<CBlob>(*this, &IAS::CCioPrivateKey::generalName);
}

std::vector<CCioCredentialIdentifier> CCioPrivateKey::keyIdentifiers() const {
    return ReadCio<std::vector<CCioCredentialIdentifier>>(*this,
                                                          &IAS::CCioPrivateKey::keyIdentifiers);
}

} // namespace ias
