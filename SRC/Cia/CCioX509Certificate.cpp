#include "Cia/CCioX509Certificate.h"

#include "Cia/CioParts.h"

namespace IAS {

struct CCioX509Certificate::Record {
    CCioObjectValue value;
    ZAZ::ByteVector subject;
    ZAZ::ByteVector issuer;
    ZAZ::ByteVector serialNumber;
};

namespace {
// A Name member as a universal SEQUENCE: the view refuses a primitive element
// and replaces an implicit tag.
ZAZ::ByteVector nameOf(const IASSCU::CSequence& s, const char* name) {
    return s.isPresent(name) ? IASSCU::CSequence(s.member(name)).encoding() : ZAZ::ByteVector();
}
} // namespace

CCioX509Certificate::CCioX509Certificate() : m_rec(new Record) {}

CCioX509Certificate::CCioX509Certificate(const CCioFrame& frame)
    : CCioCertificate(frame), m_rec(new Record) {
    const IASSCU::CISOSequence<IASSCU::X509CertificateAttributes> s{frame.typeAttributes()};
    Record& r = *m_rec;
    r.value.decode(s.member("value"));
    r.subject = nameOf(s, "subject");
    r.issuer = nameOf(s, "issuer");
    if (s.isPresent("serialNumber")) {
        r.serialNumber = IASSCU::CInteger(s.member("serialNumber")).encoding();
    }
}

CCioX509Certificate::~CCioX509Certificate() = default;

ZAZ::ByteVector CCioX509Certificate::encodeTypeAttributes() const {
    const Record& r = *m_rec;
    IASSCU::CISOSequence<IASSCU::X509CertificateAttributes> s;
    cio::setEncoded(s, "value", r.value.encode());
    cio::setEncoded(s, "subject", r.subject);
    cio::setEncoded(s, "issuer", r.issuer);
    cio::setEncoded(s, "serialNumber", r.serialNumber);
    return cio::assembled(s);
}

int CCioX509Certificate::choice() const {
    return -1;
}

CCioX509Certificate* CCioX509Certificate::clone() const {
    return new CCioX509Certificate(*this);
}

const CCioObjectValue& CCioX509Certificate::value() const {
    return m_rec->value;
}

ZAZ::ByteVector CCioX509Certificate::subject() const {
    return m_rec->subject;
}

ZAZ::ByteVector CCioX509Certificate::issuer() const {
    return m_rec->issuer;
}

ZAZ::ByteVector CCioX509Certificate::serialNumber() const {
    return m_rec->serialNumber;
}

} // namespace IAS
