#ifndef BENCH_CIAVIEWS_H
#define BENCH_CIAVIEWS_H

// Builds every public view of a CIA the way an application walks it and folds
// what the accessors return into a number, so the compiler keeps every call.
#include <ias/ias.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace ciaviews {

inline std::size_t Fold(const ias::CBlob& b) {
    return b.size();
}
inline std::size_t Fold(const std::string& s) {
    return s.size();
}
inline std::size_t Fold(const ias::CCiaPath& p) {
    return p.efidOrPath().size() + p.aid().size() + static_cast<std::size_t>(p.index() + 1);
}
inline std::size_t Fold(const ias::CCioObjectValue& v) {
    return static_cast<std::size_t>(v.type()) + v.value().size();
}
inline std::size_t Fold(const ias::CCioKeyInfo& k) {
    return k.isNull() ? 0 : k.parameters().size() + k.operations();
}
inline std::size_t Fold(const ias::CCioUsage& u) {
    return u.isNull() ? 0 : u.keyUsage() + u.extKeyUsage().size();
}
inline std::size_t Fold(const std::vector<ias::CCioCredentialIdentifier>& ids) {
    std::size_t n = 0;
    for (const ias::CCioCredentialIdentifier& id : ids) {
        n += static_cast<std::size_t>(id.idType()) + id.idValue().size();
    }
    return n;
}

inline std::size_t Fold(const ias::CCioSecurityCondition& sc) {
    std::size_t n = static_cast<std::size_t>(sc.type());
    switch (sc.type()) { // each accessor answers for its own type only
    case 2:
        return n + sc.authId().size();
    case 3:
        return n + sc.authReference().authMethod() +
               static_cast<std::size_t>(sc.authReference().seIdentifier());
    case 4:
        return n + Fold(sc.notSc());
    case 5:
    case 6:
        for (const ias::CCioSecurityCondition& c : sc.type() == 5 ? sc.andSc() : sc.orSc()) {
            n += Fold(c);
        }
        return n;
    default:
        return n;
    }
}

inline std::size_t FoldCommon(const ias::CCioObject& o) {
    std::size_t n = static_cast<std::size_t>(o.choice()) + o.label().size() + o.flags() +
                    o.authIdReference().size() + static_cast<std::size_t>(o.userConsent());
    for (const ias::CCioAccessControlRule& r : o.accessControlRules()) {
        n += r.isNull() ? 0 : r.accessMode() + Fold(r.securityCondition());
    }
    return n;
}

inline std::size_t FoldKey(const ias::CCioKey& k) {
    std::size_t n = FoldCommon(k) + k.id().size() + k.usage() + (k.native() ? 1 : 0);
    n += k.accessFlags() + (k.accessFlagsDefined() ? 1 : 0) +
         static_cast<std::size_t>(k.keyReference()) + k.startDate().size() + k.endDate().size();
    return n + k.algReference().size();
}

inline std::size_t Fold(const ias::CCioPrivateKey& k) {
    std::size_t n =
        FoldKey(k) + k.name().size() + k.generalName().size() + Fold(k.keyIdentifiers());
    if (const auto* rsa = dynamic_cast<const ias::CCioPrivateRSAKey*>(&k)) {
        n += Fold(rsa->value()) + static_cast<std::size_t>(rsa->modulusLength()) +
             Fold(rsa->keyInfo());
    } else if (const auto* dh = dynamic_cast<const ias::CCioPrivateDHKey*>(&k)) {
        n += Fold(dh->value()) + Fold(dh->keyInfo());
    }
    return n;
}

inline std::size_t Fold(const ias::CCioPublicKey& k) {
    std::size_t n = FoldKey(k) + k.name().size() + k.generalName().size() +
                    Fold(k.keyIdentifiers()) + Fold(k.trustedUsage());
    if (const auto* rsa = dynamic_cast<const ias::CCioPublicRSAKey*>(&k)) {
        n += Fold(rsa->value()) + static_cast<std::size_t>(rsa->modulusLength()) +
             Fold(rsa->keyInfo());
    } else if (const auto* dh = dynamic_cast<const ias::CCioPublicDHKey*>(&k)) {
        n += Fold(dh->value()) + Fold(dh->keyInfo());
    }
    return n;
}

inline std::size_t Fold(const ias::CCioCertificate& c) {
    std::size_t n = FoldCommon(c) + c.id().size() + (c.authority() ? 1 : 0) + c.certHash().size();
    n += Fold(c.trustedUsage()) + Fold(c.identifiers()) + c.validity().first.size() +
         c.validity().second.size();
    if (const auto* x = dynamic_cast<const ias::CCioX509Certificate*>(&c)) {
        n += Fold(x->value()) + x->subject().size() + x->issuer().size() + x->serialNumber().size();
    }
    return n;
}

inline std::size_t Fold(const ias::CCioDataContainer& d) {
    std::size_t n =
        FoldCommon(d) + d.applicationName().size() + d.applicationOID().size() + d.id().size();
    if (const auto* opaque = dynamic_cast<const ias::CCioOpaqueDO*>(&d)) {
        n += Fold(opaque->value());
    } else if (const auto* iso = dynamic_cast<const ias::CCioIso7816DO*>(&d)) {
        n += Fold(iso->value());
    }
    return n;
}

inline std::size_t Fold(const ias::CCioAuthentication& a) {
    std::size_t n = FoldCommon(a) + a.authId().size() +
                    static_cast<std::size_t>(a.authReference()) +
                    static_cast<std::size_t>(a.seIdentifier());
    if (const auto* p = dynamic_cast<const ias::CCioPasswordAuth*>(&a)) {
        n += p->pwdFlags() +
             static_cast<std::size_t>(p->pwdType() + p->minLength() + p->storedLength() +
                                      p->maxLength() + p->pwdReference());
        n += p->padChar() + (p->padCharDefined() ? 1 : 0) + p->lastPasswordChange().size() +
             Fold(p->path());
    }
    return n;
}

template <class File> std::size_t FoldObjects(const File& file) {
    std::size_t n = 0;
    for (const auto* o : file.objects()) {
        n += Fold(*o);
    }
    return n;
}

inline std::size_t Fold(const ias::CApplicationDirectoryFile& dir) {
    std::size_t n = 0;
    for (const ias::CApplicationTemplate& t : dir.applicationTemplates()) {
        n += t.aid().size() + t.label().size() + t.path().size() +
             t.discretionaryDOBerTlv().size() + t.discretionaryDONonBerTlv().size();
    }
    return n;
}

inline std::size_t Fold(const ias::CCiaInfoFile& info) {
    std::size_t n = static_cast<std::size_t>(info.version()) + info.serialNumber().size() +
                    info.manufacturerId().size() + info.label().size() + info.cardflags();
    for (const ias::CCiaInfoFile::SecurityEnvironmentInfo& se : info.seInfo()) {
        n += static_cast<std::size_t>(se.se) + se.owner.size() + se.aid.size();
    }
    n += info.recordInfo().size();
    for (const ias::CCiaInfoFile::AlgorithmInfo& a : info.supportedAlgorithms()) {
        n += static_cast<std::size_t>(a.reference + a.algorithm + a.algRef) + a.parameters.size() +
             a.supportedOperations + a.objId.size();
    }
    n += info.issuerId().size() + info.holderId().size() +
         static_cast<std::size_t>(info.lastUpdate().type()) + info.preferredLanguage().size();
    return n + info.profileIndication().size();
}

/// Makes the reader of the directory file kind EF.OD names with `choice`,
/// hands it to `load` (from the card or from bytes) and folds its objects.
template <class Load>
std::size_t FoldDirectory(ias::CObjectDirectoryFile::CioChoice choice, const Load& load) {
    switch (choice) {
    case ias::CObjectDirectoryFile::PrivateKeys: {
        ias::CPrivateKeyFile f;
        load(f);
        return FoldObjects(f);
    }
    case ias::CObjectDirectoryFile::PublicKeys:
    case ias::CObjectDirectoryFile::TrustedPublicKeys: {
        ias::CPublicKeyFile f;
        load(f);
        return FoldObjects(f);
    }
    case ias::CObjectDirectoryFile::Certificates:
    case ias::CObjectDirectoryFile::TrustedCertificates:
    case ias::CObjectDirectoryFile::UsefulCertificates: {
        ias::CCertificateFile f;
        load(f);
        return FoldObjects(f);
    }
    case ias::CObjectDirectoryFile::DataContainerObjects: {
        ias::CDataContainerFile f;
        load(f);
        return FoldObjects(f);
    }
    case ias::CObjectDirectoryFile::AuthObjects: {
        ias::CAuthObjectFile f;
        load(f);
        return FoldObjects(f);
    }
    default:
        return 0; // secret keys: no reader
    }
}

} // namespace ciaviews

#endif
