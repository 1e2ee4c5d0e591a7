#include <ias/CCertificateFile.h>
#include <ias/CCioPrivateDHKey.h>
#include <ias/CCioPrivateRSAKey.h>
#include <ias/CCioPublicDHKey.h>
#include <ias/CCioPublicRSAKey.h>
#include <ias/CCioX509Certificate.h>
#include <ias/CPrivateKeyFile.h>
#include <ias/CPublicKeyFile.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioCertificate.h"
#include "Cia/CCioPrivateKey.h"
#include "Cia/CCioPublicKey.h"

// The three directory files of keys and certificates: alike but for the
// classes they present and the kinds they refuse.

namespace ias {

namespace {
template <class T> Owned<IAS::CCiaFile> NewFile() {
    return MakeOwned<IAS::CCiaFile, IAS::CCryptoInfoObjectFile<T>>();
}

// The failure text for `choice` from `names` (choices 0 to count-1; null for
// a choice the file presents); beyond them, `invalid` with the choice.
template <std::size_t N>
[[noreturn]] void Refuse(const char* const (&names)[N], const char* invalid, int choice) {
    if (choice >= 0 && static_cast<std::size_t>(choice) < N && names[choice] != nullptr) {
        NotSupported(names[choice]);
    }
    InvalidChoice(invalid, choice);
}
} // namespace

struct CPrivateKeyFile::Views : CioViews<CCioPrivateKey> {};
struct CPublicKeyFile::Views : CioViews<CCioPublicKey> {};
struct CCertificateFile::Views : CioViews<CCioCertificate> {};

CPrivateKeyFile::CPrivateKeyFile()
    : CCiaFile(NewFile<IAS::CCioPrivateKey>()), m_views(MakeOwned<Views>()) {}

CPrivateKeyFile::CPrivateKeyFile(CIASCard& card, const CCiaPath& path) : CPrivateKeyFile() {
    open(card, path);
}

const CPrivateKeyFile::ObjectList& CPrivateKeyFile::objects() const {
    return PresentObjects<IAS::CCioPrivateKey>(
        *m_views, internalFile(), [](const Owned<IAS::CCioPrivateKey>& object, int choice) {
            static const char* const names[] = {
                "EC Private Key type not supported", nullptr, "DSA Private Key type not supported",
                "KEA Private Key type not supported", "Generic Private Key type not supported"};
            if (choice == -1) {
                return Owned<CCioPrivateKey>(new CCioPrivateRSAKey(object));
            }
            if (choice == 1) {
                return Owned<CCioPrivateKey>(new CCioPrivateDHKey(object));
            }
            Refuse(names, "Invalid private key type encountered", choice);
        });
}

CPublicKeyFile::CPublicKeyFile()
    : CCiaFile(NewFile<IAS::CCioPublicKey>()), m_views(MakeOwned<Views>()) {}

CPublicKeyFile::CPublicKeyFile(CIASCard& card, const CCiaPath& path) : CPublicKeyFile() {
    open(card, path);
}

const CPublicKeyFile::ObjectList& CPublicKeyFile::objects() const {
    return PresentObjects<IAS::CCioPublicKey>(
        *m_views, internalFile(), [](const Owned<IAS::CCioPublicKey>& object, int choice) {
            static const char* const names[] = {
                "EC Public Key type not supported", nullptr, "DSA Public Key type not supported",
                "KEA Public Key type not supported", "Generic Public Key type not supported"};
            if (choice == -1) {
                return Owned<CCioPublicKey>(new CCioPublicRSAKey(object));
            }
            if (choice == 1) {
                return Owned<CCioPublicKey>(new CCioPublicDHKey(object));
            }
            Refuse(names, "Invalid Public key type encountered", choice);
        });
}

CCertificateFile::CCertificateFile()
    : CCiaFile(NewFile<IAS::CCioCertificate>()), m_views(MakeOwned<Views>()) {}

CCertificateFile::CCertificateFile(CIASCard& card, const CCiaPath& path) : CCertificateFile() {
    open(card, path);
}

const CCertificateFile::ObjectList& CCertificateFile::objects() const {
    return PresentObjects<IAS::CCioCertificate>(
        *m_views, internalFile(), [](const Owned<IAS::CCioCertificate>& object, int choice) {
            static const char* const names[] = {"X509 Attribute certificate type not supported",
                                                "Spki certificate type not supported",
                                                "PGP certificate type not supported",
                                                "Wtls certificate type not supported",
                                                "X9_68 certificate type not supported",
                                                "CV certificate type not supported",
                                                "Generic certificate type not supported"};
            if (choice == -1) {
                return Owned<CCioCertificate>(new CCioX509Certificate(object));
            }
            Refuse(names, "Invalid certificate type encountered", choice);
        });
}

} // namespace ias
