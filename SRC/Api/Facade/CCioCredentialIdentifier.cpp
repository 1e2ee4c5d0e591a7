#include <ias/CCioCredentialIdentifier.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioCredentialIdentifier.h"

namespace ias {

CCioCredentialIdentifier::CCioCredentialIdentifier()
    : m_impl(MakeOwned<IAS::CCioCredentialIdentifier>()) {}

CCioCredentialIdentifier::CCioCredentialIdentifier(const CBlob& der)
    : m_impl(MakeOwned<IAS::CCioCredentialIdentifier>(ZAZ::ByteVector(der))) {}

CCioCredentialIdentifier::CCioCredentialIdentifier(const IAS::CCioCredentialIdentifier& impl)
    : m_impl(MakeOwned<IAS::CCioCredentialIdentifier>(impl)) {}

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
