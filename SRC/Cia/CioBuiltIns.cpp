// The built-in CIO kinds, one table for every kind of directory file: which
// CHOICE value becomes which concrete class. It stands above the concrete
// classes so that no base type has to include its own subclasses. A reader
// of kind T reaches its entry through registryOf<T>(), which is what keeps
// this file, and every class it names, in a static link.

#include "Cia/CCioAuthentication.h"
#include "Cia/CCioDataContainer.h"
#include "Cia/CCioPrivateDHKey.h"
#include "Cia/CCioPrivateRSAKey.h"
#include "Cia/CCioPublicDHKey.h"
#include "Cia/CCioPublicRSAKey.h"
#include "Cia/CCioX509Certificate.h"

namespace IAS {

void CioBuiltIns<CCioAuthentication>::addTo(CioRegistry<CCioAuthentication>& registry) {
    addFactory<CCioPasswordAuth>(registry, -1);
    addFactory<CCioDummy<0, CCioAuthentication>>(registry, 0);
    addFactory<CCioDummy<1, CCioAuthentication>>(registry, 1);
    addFactory<CCioDummy<2, CCioAuthentication>>(registry, 2);
}

void CioBuiltIns<CCioCertificate>::addTo(CioRegistry<CCioCertificate>& registry) {
    addFactory<CCioX509Certificate>(registry, -1);
}

void CioBuiltIns<CCioDataContainer>::addTo(CioRegistry<CCioDataContainer>& registry) {
    addFactory<CCioOpaqueDO>(registry, -1);
    addFactory<CCioIso7816DO>(registry, 0);
}

void CioBuiltIns<CCioPrivateKey>::addTo(CioRegistry<CCioPrivateKey>& registry) {
    addFactory<CCioPrivateRSAKey>(registry, -1);
    addFactory<CCioPrivateDHKey>(registry, 1);
}

void CioBuiltIns<CCioPublicKey>::addTo(CioRegistry<CCioPublicKey>& registry) {
    addFactory<CCioPublicRSAKey>(registry, -1);
    addFactory<CCioPublicDHKey>(registry, 1);
}

} // namespace IAS
