#include <ias/CCioUsage.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioUsage.h"

namespace ias {

CCioUsage::CCioUsage() : m_impl(MakeOwned<IAS::CCioUsage>()) {}

CCioUsage::CCioUsage(const CBlob& der) : m_impl(MakeOwned<IAS::CCioUsage>(ZAZ::ByteVector(der))) {}

CCioUsage::CCioUsage(const IAS::CCioUsage& impl) : m_impl(MakeOwned<IAS::CCioUsage>(impl)) {}

unsigned int CCioUsage::keyUsage() const {
    return Read<unsigned int>(*m_impl, &IAS::CCioUsage::keyUsage);
}

std::vector<std::string> CCioUsage::extKeyUsage() const {
    return Read<std::vector<std::string>>(*m_impl, &IAS::CCioUsage::extKeyUsage);
}

bool CCioUsage::isNull() const {
    return Read<bool>(*m_impl, &IAS::CCioUsage::isNull);
}

} // namespace ias
