#include "Cia/CCioCertificate.h"

#include "Asn1/CISOSequence.h"
#include "Asn1/CTime.h"
#include "Asn1/CUniversalOctet.h"
#include "Asn1/DerMessages.h"
#include "Cia/CioFields.h"

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

    // validity stays by hand: two record fields, written only when both are set.
    static const cio::Field<Record> kFields[];
};

const cio::Field<CCioCertificate::Record> CCioCertificate::Record::kFields[] = {
    cio::field<cio::Octets<IASSCU::COctetString, cio::kAlways>, &Record::id>("iD"),
    cio::field<cio::Bool, &Record::authority>("authority"),
    cio::field<cio::Encoded<>, &Record::identifier>("identifier"),
    cio::field<cio::Encoded<>, &Record::certHash>("certHash"),
    cio::field<cio::Part, &Record::trustedUsage>("trustedUsage"),
    cio::field<cio::List, &Record::identifiers>("identifiers")};

CCioCertificate::CCioCertificate() : m_rec(new Record) {}

CCioCertificate::~CCioCertificate() = default;

CCioCertificate::CCioCertificate(const CCioFrame& frame) : CCioObject(frame), m_rec(new Record) {
    const IASSCU::CDerOctet* attributes = frame.classAttributes();
    if (attributes == nullptr) {
        return;
    }
    const IASSCU::CISOSequence<IASSCU::CommonCertificateAttributes> s{*attributes};
    Record& r = *m_rec;
    cio::decodeFields(Record::kFields, s, r);
    if (s.isPresent("validity")) {
        const IASSCU::CISOSequence<IASSCU::Validity> validity(s.member("validity"));
        r.notBefore = timeText(validity.member("notBefore"));
        r.notAfter = timeText(validity.member("notAfter"));
    }
}

ZAZ::ByteVector CCioCertificate::encodeClassAttributes() const {
    const Record& r = *m_rec;
    IASSCU::CISOSequence<IASSCU::CommonCertificateAttributes> s;
    cio::encodeFields(Record::kFields, r, s);
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
