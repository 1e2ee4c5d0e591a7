#include "Cia/CCioDataContainer.h"

#include "Asn1/CISOSequence.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioFields.h"

namespace IAS {

struct CCioDataContainer::Record {
    ZAZ::ByteVector applicationName;
    std::string applicationOID;
    ZAZ::ByteVector id;

    static const cio::Field<Record> kFields[];
};

const cio::Field<CCioDataContainer::Record> CCioDataContainer::Record::kFields[] = {
    cio::field<cio::Octets<IASSCU::CUtf8String>, &Record::applicationName>("applicationName"),
    cio::field<cio::Oid, &Record::applicationOID>("applicationOID"),
    cio::field<cio::Octets<IASSCU::COctetString>, &Record::id>("iD")};

CCioDataContainer::CCioDataContainer() : m_rec(new Record) {}

CCioDataContainer::CCioDataContainer(const CCioFrame& frame)
    : CCioObject(frame), m_rec(new Record) {
    if (const IASSCU::CDerOctet* attributes = frame.classAttributes()) {
        const IASSCU::CISOSequence<IASSCU::CommonDataContainerObjectAttr> s{*attributes};
        cio::decodeFields(Record::kFields, s, *m_rec);
    }
}

ZAZ::ByteVector CCioDataContainer::encodeClassAttributes() const {
    IASSCU::CISOSequence<IASSCU::CommonDataContainerObjectAttr> s;
    cio::encodeFields(Record::kFields, *m_rec, s);
    return cio::assembled(s);
}

ZAZ::ByteVector CCioDataContainer::encodeSubClassAttributes() const {
    return ZAZ::ByteVector();
}

ZAZ::ByteVector CCioDataContainer::applicationName() const {
    return m_rec->applicationName;
}

std::string CCioDataContainer::applicationOID() const {
    return m_rec->applicationOID;
}

ZAZ::ByteVector CCioDataContainer::id() const {
    return m_rec->id;
}

CCioValueDataContainer::CCioValueDataContainer(const CCioFrame& frame)
    : CCioDataContainer(frame), m_value(frame.typeAttributes().encoding()) {}

ZAZ::ByteVector CCioValueDataContainer::encodeTypeAttributes() const {
    return m_value.encode();
}

} // namespace IAS
