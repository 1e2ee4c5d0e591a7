#include "Cia/CCioCredentialIdentifier.h"

#include "Asn1/CISOSequence.h"
#include "Asn1/CUniversalOctet.h"
#include "Cia/CioDer.h"

#include <utility>

namespace IAS {

struct CCioCredentialIdentifier::Record {
    std::int32_t idType = -1;
    ZAZ::ByteVector idValue;
};

CCioCredentialIdentifier::CCioCredentialIdentifier() : m_rec(new Record) {}

CCioCredentialIdentifier::CCioCredentialIdentifier(const ZAZ::ByteVectorBase& der)
    : CCioCredentialIdentifier(IASSCU::CDerOctet(der)) {}

CCioCredentialIdentifier::CCioCredentialIdentifier(const IASSCU::CDerOctet& element)
    : CCioCredentialIdentifier() {
    decode(element);
}

void CCioCredentialIdentifier::decode(const IASSCU::CDerOctet& element) {
    const IASSCU::CISOSequence<IASSCU::CredentialIdentifier> s(element);
    Record fresh;
    fresh.idType = cio::integer(s, "idType", -1);
    if (fresh.idType < 1 || fresh.idType > 9) {
        cio::fail(ZAZ::Msg::kDecodingError);
    }
    fresh.idValue = s.member("idValue").encoding();
    std::swap(*m_rec, fresh);
}

ZAZ::ByteVector CCioCredentialIdentifier::encode() const {
    IASSCU::CISOSequence<IASSCU::CredentialIdentifier> s;
    if (m_rec->idType != -1) {
        s.setMember("idType", IASSCU::CInteger(m_rec->idType));
    }
    cio::setEncoded(s, "idValue", m_rec->idValue);
    return cio::assembled(s);
}

std::int32_t CCioCredentialIdentifier::idType() const {
    return m_rec->idType;
}

ZAZ::ByteVector CCioCredentialIdentifier::idValue() const {
    return m_rec->idValue;
}

ZAZ::ByteVector CCioCredentialIdentifier::octetStringIdValue() const {
    return IASSCU::COctetString(m_rec->idValue).value();
}

} // namespace IAS
