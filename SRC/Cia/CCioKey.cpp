#include "Cia/CCioKey.h"

#include "Asn1/CISOSequence.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioFields.h"

namespace IAS {

struct CCioKey::Record {
    ZAZ::ByteVector id;
    std::uint32_t usage = 0;
    bool native = true;
    std::optional<std::uint32_t> accessFlags;
    std::int32_t keyReference = -1;
    std::string startDate;
    std::string endDate;
    std::vector<std::int32_t> algReference;

    static const cio::Field<Record> kFields[];
};

const cio::Field<CCioKey::Record> CCioKey::Record::kFields[] = {
    cio::field<cio::Octets<IASSCU::COctetString, cio::kAlways>, &Record::id>("iD"),
    cio::field<cio::Bits, &Record::usage>("usage"),
    cio::field<cio::Bool, &Record::native>("native"),
    cio::field<cio::Bits, &Record::accessFlags>("accessFlags"),
    cio::field<cio::Int<-1>, &Record::keyReference>("keyReference"),
    cio::field<cio::Time, &Record::startDate>("startDate"),
    cio::field<cio::Time, &Record::endDate>("endDate"),
    cio::field<cio::List, &Record::algReference>("algReference")};

CCioKey::CCioKey() : m_rec(new Record) {}

CCioKey::~CCioKey() = default;

CCioKey::CCioKey(const CCioFrame& frame) : CCioObject(frame), m_rec(new Record) {
    if (const IASSCU::CDerOctet* attributes = frame.classAttributes()) {
        const IASSCU::CISOSequence<IASSCU::CommonKeyAttributes> s{*attributes};
        cio::decodeFields(Record::kFields, s, *m_rec);
    }
}

ZAZ::ByteVector CCioKey::encodeClassAttributes() const {
    IASSCU::CISOSequence<IASSCU::CommonKeyAttributes> s;
    cio::encodeFields(Record::kFields, *m_rec, s);
    return cio::assembled(s);
}

ZAZ::ByteVector CCioKey::id() const {
    return m_rec->id;
}

std::uint32_t CCioKey::usage() const {
    return m_rec->usage;
}

bool CCioKey::native() const {
    return m_rec->native;
}

std::uint32_t CCioKey::accessFlags() const {
    return m_rec->accessFlags.value_or(0);
}

bool CCioKey::accessFlagsDefined() const {
    return m_rec->accessFlags.has_value();
}

std::int32_t CCioKey::keyReference() const {
    return m_rec->keyReference;
}

std::string CCioKey::startDate() const {
    return m_rec->startDate;
}

std::string CCioKey::endDate() const {
    return m_rec->endDate;
}

const std::vector<std::int32_t>& CCioKey::algReference() const {
    return m_rec->algReference;
}

} // namespace IAS
