#include "Cia/CCioPublicKey.h"

#include "Cia/CioParts.h"

namespace IAS {

struct CCioPublicKey::Record {
    ZAZ::ByteVector name;
    CCioUsage trustedUsage;
    ZAZ::ByteVector generalName;
    std::vector<CCioCredentialIdentifier> keyIdentifiers;
};

CCioPublicKey::CCioPublicKey() : m_rec(new Record) {}

CCioPublicKey::~CCioPublicKey() = default;

CCioPublicKey::CCioPublicKey(const CCioFrame& frame) : CCioKey(frame), m_rec(new Record) {
    const IASSCU::CDerOctet* attributes = frame.subClassAttributes();
    if (attributes == nullptr) {
        return;
    }
    const IASSCU::CISOSequence<IASSCU::CommonPublicKeyAttributes> s{*attributes};
    m_rec->name = cio::present(s, "name");
    if (s.isPresent("trustedUsage")) {
        m_rec->trustedUsage.decode(s.member("trustedUsage"));
    }
    m_rec->generalName = cio::present(s, "generalName");
    m_rec->keyIdentifiers = cio::identifiers(s, "keyIdentifiers");
}

ZAZ::ByteVector CCioPublicKey::encodeSubClassAttributes() const {
    IASSCU::CISOSequence<IASSCU::CommonPublicKeyAttributes> s;
    cio::setEncoded(s, "name", m_rec->name);
    if (!m_rec->trustedUsage.isNull()) {
        cio::setEncoded(s, "trustedUsage", m_rec->trustedUsage.encode());
    }
    cio::setEncoded(s, "generalName", m_rec->generalName);
    cio::setIdentifiers(s, "keyIdentifiers", m_rec->keyIdentifiers);
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
