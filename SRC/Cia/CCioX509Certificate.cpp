#include "Cia/CCioX509Certificate.h"

#include "Asn1/CISOSequence.h"
#include "Cia/CioFields.h"

namespace IAS {

struct CCioX509Certificate::Record {
    CCioObjectValue value;
    ZAZ::ByteVector subject;
    ZAZ::ByteVector issuer;
    ZAZ::ByteVector serialNumber;

    static const cio::Field<Record> kFields[];
};

// A Name is kept as a universal SEQUENCE: the view refuses a primitive element
// and replaces an implicit tag.
const cio::Field<CCioX509Certificate::Record> CCioX509Certificate::Record::kFields[] = {
    cio::field<cio::Element, &Record::value>("value"),
    cio::field<cio::Encoded<IASSCU::CSequence>, &Record::subject>("subject"),
    cio::field<cio::Encoded<IASSCU::CSequence>, &Record::issuer>("issuer"),
    cio::field<cio::Encoded<IASSCU::CInteger>, &Record::serialNumber>("serialNumber")};

CCioX509Certificate::CCioX509Certificate() : m_rec(new Record) {}

CCioX509Certificate::CCioX509Certificate(const CCioFrame& frame)
    : CCioCertificate(frame), m_rec(new Record) {
    const IASSCU::CISOSequence<IASSCU::X509CertificateAttributes> s{frame.typeAttributes()};
    cio::decodeFields(Record::kFields, s, *m_rec);
}

CCioX509Certificate::~CCioX509Certificate() = default;

ZAZ::ByteVector CCioX509Certificate::encodeTypeAttributes() const {
    IASSCU::CISOSequence<IASSCU::X509CertificateAttributes> s;
    cio::encodeFields(Record::kFields, *m_rec, s);
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
