#include <ias/CCioPublicKey.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioPublicKey.h"

namespace ias {

CBlob CCioPublicKey::name() const {
    return ReadCio<CBlob>(*this, &IAS::CCioPublicKey::name);
}

CBlob CCioPublicKey::generalName() const {
    return ReadCio<CBlob>(*this, &IAS::CCioPublicKey::generalName);
}

std::vector<CCioCredentialIdentifier> CCioPublicKey::keyIdentifiers() const {
    return ReadCio<std::vector<CCioCredentialIdentifier>>(*this,
                                                          &IAS::CCioPublicKey::keyIdentifiers);
}

CCioUsage CCioPublicKey::trustedUsage() const {
    return ReadCio<CCioUsage>(*this, &IAS::CCioPublicKey::trustedUsage);
}

} // namespace ias
