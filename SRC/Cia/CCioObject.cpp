#include "Cia/CCioObject.h"

#include "Asn1/CISOSequence.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioFields.h"

namespace IAS {

using IASSCU::CDerOctet;

namespace {
using Frame = IASSCU::CISOSequence<IASSCU::CioObject>;

// An element worth writing: present and with something inside.
bool hasContent(const ZAZ::ByteVector& der) {
    return !der.empty() && !CDerOctet(der).content().empty();
}
} // namespace

struct CCioObject::Record {
    ZAZ::ByteVector label;
    std::uint32_t flags = 0;
    ZAZ::ByteVector authId;
    std::int32_t userConsent = -1;
    std::vector<CCioAccessControlRule> accessControlRules;

    static const cio::Field<Record> kFields[];
};

const cio::Field<CCioObject::Record> CCioObject::Record::kFields[] = {
    cio::field<cio::Octets<IASSCU::CUtf8String>, &Record::label>("label"),
    cio::field<cio::Bits, &Record::flags>("flags"), // written even when 0
    cio::field<cio::Octets<IASSCU::COctetString>, &Record::authId>("authId"),
    cio::field<cio::Int<-1>, &Record::userConsent>("userConsent"),
    cio::field<cio::List, &Record::accessControlRules>("accessControlRules")};

CCioObject::CCioObject() : m_rec(new Record) {}

CCioObject::~CCioObject() = default;

CCioObject::CCioObject(const CCioFrame& frame) : CCioObject() {
    const IASSCU::CISOSequence<IASSCU::CommonObjectAttributes> s(frame.commonObjectAttributes());
    cio::decodeFields(Record::kFields, s, *m_rec);
}

ZAZ::ByteVector CCioObject::label() const {
    return m_rec->label;
}

std::uint32_t CCioObject::flags() const {
    return m_rec->flags;
}

ZAZ::ByteVector CCioObject::authId() const {
    return m_rec->authId;
}

std::int32_t CCioObject::userConsent() const {
    return m_rec->userConsent;
}

const std::vector<CCioAccessControlRule>& CCioObject::accessControlRules() const {
    return m_rec->accessControlRules;
}

ZAZ::ByteVector CCioObject::encode() const {
    IASSCU::CISOSequence<IASSCU::CommonObjectAttributes> common;
    cio::encodeFields(Record::kFields, *m_rec, common);
    Frame frame;
    frame.setMember("commonObjectAttributes", CDerOctet(cio::assembled(common)));
    const ZAZ::ByteVector classAttributes = encodeClassAttributes();
    if (hasContent(classAttributes)) {
        frame.setMember("classAttributes", CDerOctet(classAttributes));
    }
    const ZAZ::ByteVector subClassAttributes = encodeSubClassAttributes();
    if (hasContent(subClassAttributes)) {
        frame.setMember("subClassAttributes", CDerOctet(subClassAttributes));
    }
    // Mandatory: an object with no type attributes to write fails the assembly.
    cio::setEncoded(frame, "typeAttributes", encodeTypeAttributes());
    return cio::assembled(frame);
}

} // namespace IAS
