#include "Cia/CCioPrivateKey.h"

#include "Asn1/CISOSequence.h"
#include "Cia/CioFields.h"

namespace IAS {

struct CCioPrivateKey::Record {
    ZAZ::ByteVector name;
    std::vector<CCioCredentialIdentifier> keyIdentifiers;
    ZAZ::ByteVector generalName;

    static const cio::Field<Record> kFields[];
};

const cio::Field<CCioPrivateKey::Record> CCioPrivateKey::Record::kFields[] = {
    cio::field<cio::Encoded<>, &Record::name>("name"),
    cio::field<cio::List, &Record::keyIdentifiers>("keyIdentifiers"),
    cio::field<cio::Encoded<>, &Record::generalName>("generalName")};

CCioPrivateKey::CCioPrivateKey() : m_rec(new Record) {}

CCioPrivateKey::~CCioPrivateKey() = default;

CCioPrivateKey::CCioPrivateKey(const CCioFrame& frame) : CCioKey(frame), m_rec(new Record) {
    if (const IASSCU::CDerOctet* attributes = frame.subClassAttributes()) {
        const IASSCU::CISOSequence<IASSCU::CommonPrivateKeyAttributes> s{*attributes};
        cio::decodeFields(Record::kFields, s, *m_rec);
    }
}

ZAZ::ByteVector CCioPrivateKey::encodeSubClassAttributes() const {
    IASSCU::CISOSequence<IASSCU::CommonPrivateKeyAttributes> s;
    cio::encodeFields(Record::kFields, *m_rec, s);
    return cio::assembled(s);
}

ZAZ::ByteVector CCioPrivateKey::name() const {
    return m_rec->name;
}

const std::vector<CCioCredentialIdentifier>& CCioPrivateKey::keyIdentifiers() const {
    return m_rec->keyIdentifiers;
}

ZAZ::ByteVector CCioPrivateKey::generalName() const {
    return m_rec->generalName;
}

} // namespace IAS
