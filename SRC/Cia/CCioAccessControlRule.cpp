#include "Cia/CCioAccessControlRule.h"

#include "Asn1/CISOSequence.h"
#include "Cia/CioDer.h"

#include <utility>

namespace IAS {

struct CCioAccessControlRule::Record {
    std::uint32_t accessMode = 0;
    CCioSecurityCondition securityCondition;
};

CCioAccessControlRule::CCioAccessControlRule() : m_rec(new Record) {}

CCioAccessControlRule::CCioAccessControlRule(const ZAZ::ByteVectorBase& der)
    : CCioAccessControlRule(IASSCU::CDerOctet(der)) {}

CCioAccessControlRule::CCioAccessControlRule(const IASSCU::CDerOctet& element)
    : CCioAccessControlRule() {
    decode(element);
}

void CCioAccessControlRule::decode(const IASSCU::CDerOctet& element) {
    const IASSCU::CISOSequence<IASSCU::AccessControlRule> s(element);
    Record fresh;
    fresh.accessMode = cio::bits(s, "accessMode", 0);
    fresh.securityCondition.decode(s.member("securityCondition"));
    std::swap(*m_rec, fresh);
}

ZAZ::ByteVector CCioAccessControlRule::encode() const {
    IASSCU::CISOSequence<IASSCU::AccessControlRule> s;
    s.setMember("accessMode", IASSCU::CBitString(m_rec->accessMode));
    s.setMember("securityCondition", IASSCU::CDerOctet(m_rec->securityCondition.encode()));
    return cio::assembled(s);
}

std::uint32_t CCioAccessControlRule::accessMode() const {
    return m_rec->accessMode;
}

const CCioSecurityCondition& CCioAccessControlRule::securityCondition() const {
    return m_rec->securityCondition;
}

bool CCioAccessControlRule::isNull() const {
    return m_rec->securityCondition.type() == CCioSecurityCondition::None;
}

} // namespace IAS
