#include "Cia/CCioAuthReference.h"

#include "Asn1/CISOSequence.h"
#include "Cia/CioDer.h"

#include <utility>

namespace IAS {

struct CCioAuthReference::Record {
    std::uint32_t authMethod = 0;
    std::int32_t seIdentifier = -1;
};

CCioAuthReference::CCioAuthReference() : m_rec(new Record) {}

CCioAuthReference::CCioAuthReference(const ZAZ::ByteVectorBase& der)
    : CCioAuthReference(IASSCU::CDerOctet(der)) {}

CCioAuthReference::CCioAuthReference(const IASSCU::CDerOctet& element) : CCioAuthReference() {
    decode(element);
}

void CCioAuthReference::decode(const IASSCU::CDerOctet& element) {
    const IASSCU::CISOSequence<IASSCU::AuthReference> s(element);
    Record fresh;
    fresh.authMethod = cio::bits(s, "authMethod", 0);
    fresh.seIdentifier = cio::integer(s, "seIdentifier", -1);
    std::swap(*m_rec, fresh);
}

ZAZ::ByteVector CCioAuthReference::encode() const {
    IASSCU::CISOSequence<IASSCU::AuthReference> s;
    s.setMember("authMethod", IASSCU::CBitString(m_rec->authMethod));
    if (m_rec->seIdentifier != -1) {
        s.setMember("seIdentifier", IASSCU::CInteger(m_rec->seIdentifier));
    }
    return cio::assembled(s);
}

std::uint32_t CCioAuthReference::authMethod() const {
    return m_rec->authMethod;
}

std::int32_t CCioAuthReference::seIdentifier() const {
    return m_rec->seIdentifier;
}

} // namespace IAS
