#include "Asn1/ISOSequenceTables.h"

#include "Asn1/CBoolean.h"
#include "Asn1/CInteger.h"
#include "Asn1/CSequence.h"
#include "Asn1/TagClass.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <memory>
#include <vector>

namespace IASSCU {

namespace {
constexpr std::uint32_t kImplicit = CSequence::Implicit;
constexpr std::uint32_t kExplicit = CSequence::Explicit;
constexpr std::uint32_t kOptional = CSequence::Optional;

// Universal tag numbers of the member types.
constexpr std::uint32_t kBool = 1;
constexpr std::uint32_t kInt = 2;
constexpr std::uint32_t kBits = 3;
constexpr std::uint32_t kOctets = 4;
constexpr std::uint32_t kOid = 6;
constexpr std::uint32_t kEnum = 10;
constexpr std::uint32_t kUtf8 = 12;
constexpr std::uint32_t kSeq = 16;
constexpr std::uint32_t kPrintable = 19;
constexpr std::uint32_t kGenTime = 24;

const CDerOctet* defaultTrue() {
    static const CBoolean value(true);
    return &value;
}

const CDerOctet* defaultFalse() {
    static const CBoolean value(false);
    return &value;
}

const CDerOctet* defaultZero() {
    static const CInteger value(0);
    return &value;
}

// Small helpers so that each table reads like its ASN.1 definition.
struct Builder {
    CSequence& s;
    void universal(const char* name, std::uint32_t tag, std::uint32_t flags = 0,
                   const CDerOctet* def = nullptr) {
        s.addMember(name, Universal, tag, flags, def);
    }
    void any(const char* name, std::uint32_t flags = 0) { s.addMember(name, AnyClass, 0, flags); }
    void context(const char* name, std::uint32_t tag, std::uint32_t flags,
                 const CDerOctet* def = nullptr) {
        s.addMember(name, ContextSpecific, tag, flags, def);
    }
    void application(const char* name, std::uint32_t tag, std::uint32_t flags) {
        s.addMember(name, Application, tag, flags);
    }
};

// Builds the table of structure n into `sequence`; false when n has none.
bool BuildMembers(int n, CSequence& sequence) {
    Builder b{sequence};
    switch (n) {
    case CiaDdo:
        b.universal("providerId", kOid, kOptional);
        b.universal("odfPath", kSeq, kOptional);
        b.context("ciaInfoPath", 0, kImplicit | kOptional);
        b.application("aid", 15, kImplicit | kOptional);
        break;
    case CommonAuthenticationObjectAttr:
        b.universal("authId", kOctets, kOptional);
        b.universal("authReference", kInt, kOptional);
        b.context("seIdentifier", 0, kImplicit | kOptional);
        break;
    case PasswordAttributes:
        b.universal("pwdFlags", kBits);
        b.universal("pwdType", kEnum);
        b.universal("minLength", kInt);
        b.universal("storedLength", kInt);
        b.universal("maxLength", kInt, kOptional);
        b.context("pwdReference", 0, kImplicit, defaultZero());
        b.universal("padChar", kOctets, kOptional);
        b.universal("lastPasswordChange", kGenTime, kOptional);
        b.universal("path", kSeq, kOptional);
        break;
    case CiaInfo:
        b.universal("version", kInt);
        b.universal("serialNumber", kOctets, kOptional);
        b.universal("manufacturerID", kUtf8, kOptional);
        b.context("label", 0, kImplicit | kOptional);
        b.universal("cardflags", kBits);
        b.universal("seInfo", kSeq, kOptional);
        b.context("recordInfo", 1, kImplicit | kOptional);
        b.context("supportedAlgorithms", 2, kImplicit | kOptional);
        b.context("issuerId", 3, kImplicit | kOptional);
        b.context("holderId", 4, kImplicit | kOptional);
        b.context("lastUpdate", 5, kExplicit | kOptional);
        b.universal("preferredLanguage", kPrintable, kOptional);
        b.context("profileIndication", 6, kImplicit | kOptional);
        break;
    case AlgorithmInfo:
        b.universal("reference", kInt);
        b.universal("algorithm", kInt);
        b.any("parameters");
        b.universal("supportedOperations", kBits);
        b.universal("objId", kOid);
        b.universal("algRef", kInt, kOptional);
        break;
    case SecurityEnvironmentInfo:
        b.universal("se", kInt);
        b.universal("owner", kOid, kOptional);
        b.universal("aid", kOctets, kOptional);
        break;
    case CredentialIdentifier:
        b.universal("idType", kInt);
        b.any("idValue");
        break;
    case CommonDataContainerObjectAttr:
        b.universal("applicationName", kUtf8, kOptional);
        b.universal("applicationOID", kOid, kOptional);
        b.universal("iD", kOctets, kOptional);
        break;
    case X509CertificateAttributes:
        b.any("value");
        b.universal("subject", kSeq, kOptional);
        b.context("issuer", 0, kImplicit | kOptional);
        b.universal("serialNumber", kInt, kOptional);
        break;
    case RsaPublicKey:
        b.universal("modulus", kInt);
        b.universal("publicExponent", kInt);
        break;
    case Usage:
        b.universal("keyUsage", kBits, kOptional);
        b.universal("extKeyUsage", kSeq, kOptional);
        break;
    case Path:
        b.any("objectRef");
        b.universal("index", kInt, kOptional);
        b.context("length", 0, kImplicit | kOptional);
        break;
    case PathTagRef:
        b.universal("tag", kOctets);
        b.universal("efidOrPath", kOctets, kOptional);
        break;
    case PathAidRef:
        b.application("aid", 15, kImplicit);
        b.universal("efidOrPath", kOctets);
        break;
    case PathAidTagRef:
        b.application("aid", 15, kImplicit);
        b.universal("tag", kOctets);
        b.universal("efidOrPath", kOctets, kOptional);
        break;
    case CioObject:
        b.universal("commonObjectAttributes", kSeq);
        b.universal("classAttributes", kSeq, kOptional);
        b.context("subClassAttributes", 0, kExplicit | kOptional);
        b.context("typeAttributes", 1, kExplicit);
        break;
    case CommonObjectAttributes:
        b.universal("label", kUtf8, kOptional);
        b.universal("flags", kBits, kOptional);
        b.universal("authId", kOctets, kOptional);
        b.universal("userConsent", kInt, kOptional);
        b.universal("accessControlRules", kSeq, kOptional);
        break;
    case CommonCertificateAttributes:
        b.universal("iD", kOctets);
        b.universal("authority", kBool, 0, defaultFalse());
        b.universal("identifier", kSeq, kOptional);
        b.context("certHash", 0, kImplicit | kOptional);
        b.context("trustedUsage", 1, kImplicit | kOptional);
        b.context("identifiers", 2, kImplicit | kOptional);
        b.context("validity", 4, kImplicit | kOptional);
        break;
    case CommonKeyAttributes:
        b.universal("iD", kOctets);
        b.universal("usage", kBits);
        b.universal("native", kBool, 0, defaultTrue());
        b.universal("accessFlags", kBits, kOptional);
        b.universal("keyReference", kInt, kOptional);
        b.universal("startDate", kGenTime, kOptional);
        b.context("endDate", 0, kImplicit | kOptional);
        b.context("algReference", 1, kImplicit | kOptional);
        break;
    case CommonPrivateKeyAttributes:
        b.universal("name", kSeq, kOptional);
        b.context("keyIdentifiers", 0, kImplicit | kOptional);
        b.context("generalName", 1, kImplicit | kOptional);
        break;
    case CommonPublicKeyAttributes:
        b.universal("name", kSeq, kOptional);
        b.context("trustedUsage", 0, kImplicit | kOptional);
        b.context("generalName", 1, kImplicit | kOptional);
        b.context("keyIdentifiers", 2, kImplicit | kOptional);
        break;
    case PrivateDhKeyAttributes:
        b.universal("value", kSeq);
        b.any("keyInfo", kOptional);
        break;
    case PublicDhKeyAttributes:
        b.any("value");
        b.any("keyInfo", kOptional);
        break;
    case PrivateRsaKeyAttributes:
        b.universal("value", kSeq);
        b.universal("modulusLength", kInt);
        b.any("keyInfo", kOptional);
        break;
    case PublicRsaKeyAttributes:
        b.any("value");
        b.universal("modulusLength", kInt);
        b.any("keyInfo", kOptional);
        break;
    case AccessControlRule:
        b.universal("accessMode", kBits);
        b.any("securityCondition");
        break;
    case AuthReference:
        b.universal("authMethod", kBits);
        b.universal("seIdentifier", kInt, kOptional);
        break;
    case Validity:
        b.any("notBefore");
        b.any("notAfter");
        break;
    case RecordInfo: {
        const char* const names[] = {"oDRecordLength",  "prKDRecordLength", "puKDRecordLength",
                                     "sKDRecordLength", "cDRecordLength",   "dCODRecordLength",
                                     "aODRecordLength"};
        for (std::uint32_t i = 0; i < 7; ++i) {
            b.context(names[i], i, kImplicit | kOptional);
        }
        break;
    }
    case KeyInfo:
        b.any("parameters");
        b.universal("operations", kBits, kOptional);
        break;
    default:
        return false;
    }
    return true;
}

// Every table is built once, on first use, and each sequence copies its own:
// a copy takes far fewer allocations than building the names again.
constexpr int kTableCount = KeyInfo + 1;

const CSequence::Template* prototypeOf(ISOSequences n) {
    static const std::vector<std::unique_ptr<CSequence>> tables = [] {
        std::vector<std::unique_ptr<CSequence>> built(kTableCount);
        for (int i = 0; i < kTableCount; ++i) {
            std::unique_ptr<CSequence> table(new CSequence);
            if (BuildMembers(i, *table)) {
                built[static_cast<std::size_t>(i)] = std::move(table);
            }
        }
        return built;
    }();
    const int i = static_cast<int>(n);
    if (i < 0 || i >= kTableCount || tables[static_cast<std::size_t>(i)] == nullptr) {
        return nullptr;
    }
    return &tables[static_cast<std::size_t>(i)]->members();
}
} // namespace

void AddISOSequenceMembers(ISOSequences n, CSequence& sequence) {
    const CSequence::Template* members = prototypeOf(n);
    if (members == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
    }
    sequence.addMembers(*members);
}

} // namespace IASSCU
