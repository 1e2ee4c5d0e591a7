#include <ias/CCioCertificate.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioCertificate.h"

namespace ias {

CBlob CCioCertificate::id() const {
    return ReadCio<CBlob>(*this, &IAS::CCioCertificate::id);
}

bool CCioCertificate::authority() const {
    return ReadCio<bool>(*this, &IAS::CCioCertificate::authority);
}

CBlob CCioCertificate::certHash() const {
    return ReadCio<CBlob>(*this, &IAS::CCioCertificate::certHash);
}

CCioUsage CCioCertificate::trustedUsage() const {
    return ReadCio<CCioUsage>(*this, &IAS::CCioCertificate::trustedUsage);
}

std::vector<CCioCredentialIdentifier> CCioCertificate::identifiers() const {
    return ReadCio<std::vector<CCioCredentialIdentifier>>(*this,
                                                          &IAS::CCioCertificate::identifiers);
}

std::pair<std::string, std::string> CCioCertificate::validity() const {
    return ReadCio<std::pair<std::string, std::string>>(*this, &IAS::CCioCertificate::validity);
}

} // namespace ias
