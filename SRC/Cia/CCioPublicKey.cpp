#include "Cia/CCioPublicKey.h"

#include "Asn1/CISOSequence.h"
#include "Cia/CioFields.h"

namespace IAS {

struct CCioPublicKey::Record {
    ZAZ::ByteVector name;
    CCioUsage trustedUsage;
    ZAZ::ByteVector generalName;
    std::vector<CCioCredentialIdentifier> keyIdentifiers;

    static const cio::Field<Record> kFields[];
};

const cio::Field<CCioPublicKey::Record> CCioPublicKey::Record::kFields[] = {
    cio::field<cio::Encoded<>, &Record::name>("name"),
    cio::field<cio::Part, &Record::trustedUsage>("trustedUsage"),
    cio::field<cio::Encoded<>, &Record::generalName>("generalName"),
    cio::field<cio::List, &Record::keyIdentifiers>("keyIdentifiers")};

CCioPublicKey::CCioPublicKey() : m_rec(new Record) {}

CCioPublicKey::~CCioPublicKey() = default;

CCioPublicKey::CCioPublicKey(const CCioFrame& frame) : CCioKey(frame), m_rec(new Record) {
    if (const IASSCU::CDerOctet* attributes = frame.subClassAttributes()) {
        const IASSCU::CISOSequence<IASSCU::CommonPublicKeyAttributes> s{*attributes};
        cio::decodeFields(Record::kFields, s, *m_rec);
    }
}

ZAZ::ByteVector CCioPublicKey::encodeSubClassAttributes() const {
    IASSCU::CISOSequence<IASSCU::CommonPublicKeyAttributes> s;
    cio::encodeFields(Record::kFields, *m_rec, s);
    return cio::assembled(s);
}

ZAZ::ByteVector CCioPublicKey::name() const {
    return m_rec->name;
}

const CCioUsage& CCioPublicKey::trustedUsage() const {
    return m_rec->trustedUsage;
}

ZAZ::ByteVector CCioPublicKey::generalName() const {
    return m_rec->generalName;
}

const std::vector<CCioCredentialIdentifier>& CCioPublicKey::keyIdentifiers() const {
    return m_rec->keyIdentifiers;
}

} // namespace IAS
