#include "Cia/CCioObject.h"

#include "Asn1/CExplicitTag.h"
#include "Asn1/CISOSequence.h"
#include "Asn1/CSequenceOf.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioDer.h"

#include <utility>

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
};

CCioObject::CCioObject() : m_rec(new Record) {}

CCioObject::~CCioObject() = default;

CCioObject::CCioObject(const CCioFrame& frame) : CCioObject() {
    const IASSCU::CISOSequence<IASSCU::CommonObjectAttributes> s(frame.commonObjectAttributes());
    Record fresh;
    fresh.label = cio::octets<IASSCU::CUtf8String>(s, "label");
    fresh.flags = cio::bits(s, "flags", 0);
    fresh.authId = cio::octets<IASSCU::COctetString>(s, "authId");
    fresh.userConsent = cio::integer(s, "userConsent", -1);
    if (s.isPresent("accessControlRules")) {
        const IASSCU::CSequenceOf rules(s.member("accessControlRules"));
        for (const CDerOctet* rule : rules.children()) {
            fresh.accessControlRules.emplace_back(*rule);
        }
    }
    std::swap(*m_rec, fresh);
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
    const Record& r = *m_rec;
    IASSCU::CISOSequence<IASSCU::CommonObjectAttributes> common;
    if (!r.label.empty()) {
        common.setMember("label", IASSCU::CUtf8String(r.label));
    }
    common.setMember("flags", IASSCU::CBitString(r.flags));
    if (!r.authId.empty()) {
        common.setMember("authId", IASSCU::COctetString(r.authId));
    }
    if (r.userConsent != -1) {
        common.setMember("userConsent", IASSCU::CInteger(r.userConsent));
    }
    if (!r.accessControlRules.empty()) {
        IASSCU::CSequenceOf rules;
        for (const CCioAccessControlRule& rule : r.accessControlRules) {
            rules.add(CDerOctet(rule.encode()));
        }
        common.setMember("accessControlRules", rules);
    }
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
