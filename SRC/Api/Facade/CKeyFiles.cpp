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
// classes they present; the kinds they refuse, and how, come from the tables
// of kinds.

namespace ias {

namespace {
template <class T> Owned<IAS::CCiaFile> NewFile() {
    return MakeOwned<IAS::CCiaFile, IAS::CCryptoInfoObjectFile<T>>();
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
    static const PresentedKind<IAS::CCioPrivateKey, CCioPrivateKey> kinds[] = {
        {-1, ViewOf<CCioPrivateKey, CCioPrivateRSAKey>},
        {1, ViewOf<CCioPrivateKey, CCioPrivateDHKey>},
    };
    return PresentObjects(*m_views, internalFile(), kinds);
}

CPublicKeyFile::CPublicKeyFile()
    : CCiaFile(NewFile<IAS::CCioPublicKey>()), m_views(MakeOwned<Views>()) {}

CPublicKeyFile::CPublicKeyFile(CIASCard& card, const CCiaPath& path) : CPublicKeyFile() {
    open(card, path);
}

const CPublicKeyFile::ObjectList& CPublicKeyFile::objects() const {
    static const PresentedKind<IAS::CCioPublicKey, CCioPublicKey> kinds[] = {
        {-1, ViewOf<CCioPublicKey, CCioPublicRSAKey>},
        {1, ViewOf<CCioPublicKey, CCioPublicDHKey>},
    };
    return PresentObjects(*m_views, internalFile(), kinds);
}

CCertificateFile::CCertificateFile()
    : CCiaFile(NewFile<IAS::CCioCertificate>()), m_views(MakeOwned<Views>()) {}

CCertificateFile::CCertificateFile(CIASCard& card, const CCiaPath& path) : CCertificateFile() {
    open(card, path);
}

const CCertificateFile::ObjectList& CCertificateFile::objects() const {
    static const PresentedKind<IAS::CCioCertificate, CCioCertificate> kinds[] = {
        {-1, ViewOf<CCioCertificate, CCioX509Certificate>},
    };
    return PresentObjects(*m_views, internalFile(), kinds);
}

} // namespace ias
