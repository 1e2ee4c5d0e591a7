#include "Cia/CCioUsage.h"

#include "Asn1/CISOSequence.h"
#include "Asn1/CObjectIdentifier.h"
#include "Asn1/CSequenceOf.h"
#include "Cia/CioDer.h"

#include <utility>

namespace IAS {

struct CCioUsage::Record {
    std::uint32_t keyUsage = cio::kNoBits;
    std::vector<std::string> extKeyUsage;
};

CCioUsage::CCioUsage() : m_rec(new Record) {}

CCioUsage::CCioUsage(const ZAZ::ByteVectorBase& der) : CCioUsage(IASSCU::CDerOctet(der)) {}

CCioUsage::CCioUsage(const IASSCU::CDerOctet& element) : CCioUsage() {
    decode(element);
}

void CCioUsage::decode(const IASSCU::CDerOctet& element) {
    const IASSCU::CISOSequence<IASSCU::Usage> s(element);
    Record fresh;
    fresh.keyUsage = cio::bits(s, "keyUsage", cio::kNoBits);
    if (s.isPresent("extKeyUsage")) {
        const IASSCU::CSequenceOf list(s.member("extKeyUsage"));
        for (const IASSCU::CDerOctet* oid : list.children()) {
            fresh.extKeyUsage.push_back(IASSCU::CObjectIdentifier(*oid).toString());
        }
    }
    std::swap(*m_rec, fresh);
}

ZAZ::ByteVector CCioUsage::encode() const {
    IASSCU::CISOSequence<IASSCU::Usage> s;
    if (m_rec->keyUsage != cio::kNoBits) {
        s.setMember("keyUsage", IASSCU::CBitString(m_rec->keyUsage));
    }
    if (!m_rec->extKeyUsage.empty()) {
        IASSCU::CSequenceOf list;
        for (const std::string& oid : m_rec->extKeyUsage) {
            list.add(IASSCU::CObjectIdentifier(oid));
        }
        s.setMember("extKeyUsage", list);
    }
    return cio::assembled(s);
}

std::uint32_t CCioUsage::keyUsage() const {
    return m_rec->keyUsage;
}

const std::vector<std::string>& CCioUsage::extKeyUsage() const {
    return m_rec->extKeyUsage;
}

bool CCioUsage::isNull() const {
    return m_rec->keyUsage == cio::kNoBits && m_rec->extKeyUsage.empty();
}

} // namespace IAS
