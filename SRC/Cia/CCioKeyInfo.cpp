#include "Cia/CCioKeyInfo.h"

#include "Asn1/CISOSequence.h"
#include "Cia/CioDer.h"

#include <utility>

namespace IAS {

struct CCioKeyInfo::Record {
    ZAZ::ByteVector parameters;
    std::uint32_t operations = cio::kNoBits;
};

CCioKeyInfo::CCioKeyInfo() : m_rec(new Record) {}

CCioKeyInfo::CCioKeyInfo(const ZAZ::ByteVectorBase& der) : CCioKeyInfo(IASSCU::CDerOctet(der)) {}

CCioKeyInfo::CCioKeyInfo(const IASSCU::CDerOctet& element) : CCioKeyInfo() {
    decode(element);
}

void CCioKeyInfo::decode(const IASSCU::CDerOctet& element) {
    const IASSCU::CISOSequence<IASSCU::KeyInfo> s(element);
    Record fresh;
    fresh.parameters = s.member("parameters").encoding();
    fresh.operations = cio::bits(s, "operations", cio::kNoBits);
    std::swap(*m_rec, fresh);
}

ZAZ::ByteVector CCioKeyInfo::encode() const {
    IASSCU::CISOSequence<IASSCU::KeyInfo> s;
    cio::setEncoded(s, "parameters", m_rec->parameters);
    if (m_rec->operations != cio::kNoBits) {
        s.setMember("operations", IASSCU::CBitString(m_rec->operations));
    }
    return cio::assembled(s);
}

ZAZ::ByteVector CCioKeyInfo::parameters() const {
    return m_rec->parameters;
}

std::uint32_t CCioKeyInfo::operations() const {
    return m_rec->operations;
}

bool CCioKeyInfo::isNull() const {
    return m_rec->parameters.empty();
}

} // namespace IAS
