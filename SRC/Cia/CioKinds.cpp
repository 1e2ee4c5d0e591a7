// The table of kinds of every directory file: which CHOICE value becomes
// which concrete class, which kinds are known but not decoded, and the texts
// the exported readers refuse kinds with. It stands above the concrete
// classes so that no base type has to include its own subclasses. A reader
// of kind T reaches its table through registryOf<T>(), which is what keeps
// this file, and every class it names, in a static link.

#include "Cia/CCioAuthentication.h"
#include "Cia/CCioDataContainer.h"
#include "Cia/CCioPrivateDHKey.h"
#include "Cia/CCioPrivateRSAKey.h"
#include "Cia/CCioPublicDHKey.h"
#include "Cia/CCioPublicRSAKey.h"
#include "Cia/CCioX509Certificate.h"

namespace IAS {

template <> const std::vector<CioKind<CCioAuthentication>>& CioKinds<CCioAuthentication>::all() {
    // None is refused: the exported reader presents every one as a PIN object.
    static const std::vector<CioKind<CCioAuthentication>> kinds = {
        {-1, factoryOf<CCioPasswordAuth, CCioAuthentication>, nullptr},
        {0, factoryOf<CCioDummy<0, CCioAuthentication>, CCioAuthentication>, nullptr},
        {1, factoryOf<CCioDummy<1, CCioAuthentication>, CCioAuthentication>, nullptr},
        {2, factoryOf<CCioDummy<2, CCioAuthentication>, CCioAuthentication>, nullptr},
    };
    return kinds;
}

template <> const std::vector<CioKind<CCioCertificate>>& CioKinds<CCioCertificate>::all() {
    static const std::vector<CioKind<CCioCertificate>> kinds = {
        {-1, factoryOf<CCioX509Certificate, CCioCertificate>, nullptr},
        {0, nullptr, "X509 Attribute certificate type not supported"},
        {1, nullptr, "Spki certificate type not supported"},
        {2, nullptr, "PGP certificate type not supported"},
        {3, nullptr, "Wtls certificate type not supported"},
        {4, nullptr, "X9_68 certificate type not supported"},
        {5, nullptr, "CV certificate type not supported"},
        {6, nullptr, "Generic certificate type not supported"},
    };
    return kinds;
}
template <>
const char* const CioKinds<CCioCertificate>::kInvalid = "Invalid certificate type encountered";

template <> const std::vector<CioKind<CCioDataContainer>>& CioKinds<CCioDataContainer>::all() {
    // oidDO [1] has no decoder: its elements are skipped at load.
    static const std::vector<CioKind<CCioDataContainer>> kinds = {
        {-1, factoryOf<CCioOpaqueDO, CCioDataContainer>, nullptr},
        {0, factoryOf<CCioIso7816DO, CCioDataContainer>, nullptr},
        {1, nullptr, nullptr},
    };
    return kinds;
}
template <>
const char* const CioKinds<CCioDataContainer>::kInvalid = "Invalid data container type encountered";

template <> const std::vector<CioKind<CCioPrivateKey>>& CioKinds<CCioPrivateKey>::all() {
    static const std::vector<CioKind<CCioPrivateKey>> kinds = {
        {-1, factoryOf<CCioPrivateRSAKey, CCioPrivateKey>, nullptr},
        {0, nullptr, "EC Private Key type not supported"},
        {1, factoryOf<CCioPrivateDHKey, CCioPrivateKey>, nullptr},
        {2, nullptr, "DSA Private Key type not supported"},
        {3, nullptr, "KEA Private Key type not supported"},
        {4, nullptr, "Generic Private Key type not supported"},
    };
    return kinds;
}
template <>
const char* const CioKinds<CCioPrivateKey>::kInvalid = "Invalid private key type encountered";

template <> const std::vector<CioKind<CCioPublicKey>>& CioKinds<CCioPublicKey>::all() {
    static const std::vector<CioKind<CCioPublicKey>> kinds = {
        {-1, factoryOf<CCioPublicRSAKey, CCioPublicKey>, nullptr},
        {0, nullptr, "EC Public Key type not supported"},
        {1, factoryOf<CCioPublicDHKey, CCioPublicKey>, nullptr},
        {2, nullptr, "DSA Public Key type not supported"},
        {3, nullptr, "KEA Public Key type not supported"},
        {4, nullptr, "Generic Public Key type not supported"},
    };
    return kinds;
}
template <>
const char* const CioKinds<CCioPublicKey>::kInvalid = "Invalid Public key type encountered";

} // namespace IAS
