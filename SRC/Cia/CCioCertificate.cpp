#include "Cia/CCioCertificate.h"

#include "Asn1/CBoolean.h"
#include "Asn1/CUniversalOctet.h"
#include "Asn1/DerMessages.h"
#include "Cia/CioParts.h"

namespace IAS {

namespace {
// A Time as YYYYMMDDHHMMSS. A universal element of another type is not a time
// at all, which the time view would report as a malformed element instead.
std::string timeText(const IASSCU::CDerOctet& e) {
    if (e.tagClass() == IASSCU::Universal && e.tagNumber() != 23 && e.tagNumber() != 24) {
        cio::fail(IASSCU::Msg::kInconsistentOperation);
    }
    return IASSCU::CTime(e).toString();
}
} // namespace

struct CCioCertificate::Record {
    ZAZ::ByteVector id;
    bool authority = false;
    ZAZ::ByteVector identifier;
    ZAZ::ByteVector certHash;
    CCioUsage trustedUsage;
    std::vector<CCioCredentialIdentifier> identifiers;
    std::string notBefore;
    std::string notAfter;
};

CCioCertificate::CCioCertificate() : m_rec(new Record) {}

CCioCertificate::~CCioCertificate() = default;

CCioCertificate::CCioCertificate(const CCioFrame& frame) : CCioObject(frame), m_rec(new Record) {
    const IASSCU::CDerOctet* attributes = frame.classAttributes();
    if (attributes == nullptr) {
        return;
    }
    const IASSCU::CISOSequence<IASSCU::CommonCertificateAttributes> s{*attributes};
    Record& r = *m_rec;
    r.id = cio::octets<IASSCU::COctetString>(s, "iD");
    // An absent authority holds its DEFAULT FALSE.
    r.authority = IASSCU::CBoolean(s.member("authority")).value();
    r.identifier = cio::present(s, "identifier");
    r.certHash = cio::present(s, "certHash");
    if (s.isPresent("trustedUsage")) {
        r.trustedUsage.decode(s.member("trustedUsage"));
    }
    r.identifiers = cio::identifiers(s, "identifiers");
    if (s.isPresent("validity")) {
        const IASSCU::CISOSequence<IASSCU::Validity> validity(s.member("validity"));
        r.notBefore = timeText(validity.member("notBefore"));
        r.notAfter = timeText(validity.member("notAfter"));
    }
}

ZAZ::ByteVector CCioCertificate::encodeClassAttributes() const {
    const Record& r = *m_rec;
    IASSCU::CISOSequence<IASSCU::CommonCertificateAttributes> s;
    s.setMember("iD", IASSCU::COctetString(r.id));
    s.setMember("authority", IASSCU::CBoolean(r.authority));
    cio::setEncoded(s, "identifier", r.identifier);
    cio::setEncoded(s, "certHash", r.certHash);
    if (!r.trustedUsage.isNull()) {
        cio::setEncoded(s, "trustedUsage", r.trustedUsage.encode());
    }
    cio::setIdentifiers(s, "identifiers", r.identifiers);
    if (!r.notBefore.empty() && !r.notAfter.empty()) {
        IASSCU::CISOSequence<IASSCU::Validity> validity;
        validity.setMember("notBefore", IASSCU::CTime(r.notBefore));
        validity.setMember("notAfter", IASSCU::CTime(r.notAfter));
        cio::setEncoded(s, "validity", cio::assembled(validity));
    }
    return cio::assembled(s);
}

ZAZ::ByteVector CCioCertificate::encodeSubClassAttributes() const {
    return ZAZ::ByteVector();
}

ZAZ::ByteVector CCioCertificate::id() const {
    return m_rec->id;
}

bool CCioCertificate::authority() const {
    return m_rec->authority;
}

ZAZ::ByteVector CCioCertificate::identifier() const {
    return m_rec->identifier;
}

ZAZ::ByteVector CCioCertificate::certHash() const {
    return m_rec->certHash;
}

const CCioUsage& CCioCertificate::trustedUsage() const {
    return m_rec->trustedUsage;
}

const std::vector<CCioCredentialIdentifier>& CCioCertificate::identifiers() const {
    return m_rec->identifiers;
}

std::pair<std::string, std::string> CCioCertificate::validity() const {
    return std::make_pair(m_rec->notBefore, m_rec->notAfter);
}

} // namespace IAS
