#include <ias/CCioCredentialIdentifier.h>

#include "Api/Facade.h"
#include "Cia/Model/CCioCredentialIdentifier.h"

namespace ias {

CCioCredentialIdentifier::CCioCredentialIdentifier()
    : m_impl(Make<IAS::CCioCredentialIdentifier>()) {}

CCioCredentialIdentifier::CCioCredentialIdentifier(const CBlob& der)
    : m_impl(Decode<IAS::CCioCredentialIdentifier>(der)) {}

CCioCredentialIdentifier::CCioCredentialIdentifier(const IAS::CCioCredentialIdentifier& impl)
    : m_impl(Make<IAS::CCioCredentialIdentifier>(impl)) {}

int CCioCredentialIdentifier::idType() const {
    return Read<int>(*m_impl, &IAS::CCioCredentialIdentifier::idType);
}

CBlob CCioCredentialIdentifier::idValue() const {
    return Read<CBlob>(*m_impl, &IAS::CCioCredentialIdentifier::idValue);
}

CBlob CCioCredentialIdentifier::octetStringIdValue() const {
    return Read<CBlob>(*m_impl, &IAS::CCioCredentialIdentifier::octetStringIdValue);
}

} // namespace ias
