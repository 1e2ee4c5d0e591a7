#include "Cia/CCioSecurityCondition.h"

#include "Asn1/CExplicitTag.h"
#include "Asn1/CSequenceOf.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioDer.h"

#include <utility>

namespace IAS {

using IASSCU::CDerOctet;

struct CCioSecurityCondition::Record {
    int type = None;
    ZAZ::ByteVector authId;
    CCioAuthReference authReference;
    std::vector<CCioSecurityCondition> subs;
};

CCioSecurityCondition::CCioSecurityCondition() : m_rec(new Record) {}

CCioSecurityCondition::CCioSecurityCondition(const ZAZ::ByteVectorBase& der)
    : CCioSecurityCondition(CDerOctet(der)) {}

CCioSecurityCondition::CCioSecurityCondition(const CDerOctet& element) : CCioSecurityCondition() {
    decode(element);
}

void CCioSecurityCondition::decode(const CDerOctet& element) {
    Record fresh;
    read(element, 0, fresh);
    std::swap(*m_rec, fresh);
}

// Walks the element's own children, so a hostile nesting runs into the
// element tree's depth cap; the explicit count keeps the recursion bounded
// for trees that were copied (and so restarted their depth) on the way here.
void CCioSecurityCondition::read(const CDerOctet& e, int depth, Record& into) {
    if (depth > CDerOctet::kMaxDepth) {
        cio::fail(ZAZ::Msg::kDecodingError);
    }
    const bool constructed = e.isConstructed();
    if (cio::hasTag(e, IASSCU::Universal, 5) && !constructed) {
        into.type = Always;
    } else if (cio::hasTag(e, IASSCU::Universal, 4) && !constructed) {
        into.type = AuthId;
        into.authId = e.content();
    } else if (cio::hasTag(e, IASSCU::Universal, 16) && constructed) {
        into.type = AuthReference;
        into.authReference.decode(e);
    } else if (e.tagClass() == IASSCU::ContextSpecific && e.tagNumber() <= 2 && constructed) {
        const std::vector<CDerOctet*>& children = e.children();
        // not wraps exactly one condition; and / or join at least two
        const bool isNot = e.tagNumber() == 0;
        if (isNot ? children.size() != 1 : children.size() < 2) {
            cio::fail(ZAZ::Msg::kDecodingError);
        }
        into.type = static_cast<int>(Not + e.tagNumber());
        for (const CDerOctet* child : children) {
            CCioSecurityCondition sub;
            read(*child, depth + 1, *sub.m_rec);
            into.subs.push_back(std::move(sub));
        }
    } else {
        cio::fail(ZAZ::Msg::kDecodingError);
    }
}

CDerOctet CCioSecurityCondition::element() const {
    const Record& r = *m_rec;
    switch (r.type) {
    case Always:
        return IASSCU::CNull();
    case AuthId:
        return IASSCU::COctetString(r.authId);
    case AuthReference:
        return CDerOctet(r.authReference.encode());
    case Not:
        return IASSCU::CExplicitTag(IASSCU::ContextSpecific, 0, r.subs.at(0).element());
    case And:
    case Or: {
        IASSCU::CSequenceOf list;
        for (const CCioSecurityCondition& sub : r.subs) {
            list.add(sub.element());
        }
        list.setTag(IASSCU::ContextSpecific, r.type == And ? 1 : 2);
        return list;
    }
    default:
        cio::fail(ZAZ::Msg::kIllegalParameter);
    }
}

ZAZ::ByteVector CCioSecurityCondition::encode() const {
    return element().encoding();
}

int CCioSecurityCondition::type() const {
    return m_rec->type;
}

ZAZ::ByteVector CCioSecurityCondition::authId() const {
    if (m_rec->type != AuthId) {
        cio::fail(ZAZ::Msg::kUnknownError);
    }
    return m_rec->authId;
}

CCioAuthReference CCioSecurityCondition::authReference() const {
    if (m_rec->type != AuthReference) {
        cio::fail(ZAZ::Msg::kUnknownError);
    }
    return m_rec->authReference;
}

const std::vector<CCioSecurityCondition>& CCioSecurityCondition::subs(int type,
                                                                      std::size_t atLeast) const {
    const std::size_t n = m_rec->subs.size();
    if (m_rec->type != type || n < atLeast || (type == Not && n != 1)) {
        cio::fail(ZAZ::Msg::kUnknownError);
    }
    return m_rec->subs;
}

CCioSecurityCondition CCioSecurityCondition::notSc() const {
    return subs(Not, 1).front();
}

std::vector<CCioSecurityCondition> CCioSecurityCondition::andSc() const {
    return subs(And, 2);
}

std::vector<CCioSecurityCondition> CCioSecurityCondition::orSc() const {
    return subs(Or, 2);
}

} // namespace IAS
