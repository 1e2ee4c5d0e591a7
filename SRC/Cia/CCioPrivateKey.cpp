#include "Cia/CCioPrivateKey.h"

#include "Cia/CioParts.h"

namespace IAS {

struct CCioPrivateKey::Record {
    ZAZ::ByteVector name;
    std::vector<CCioCredentialIdentifier> keyIdentifiers;
    ZAZ::ByteVector generalName;
};

CCioPrivateKey::CCioPrivateKey() : m_rec(new Record) {}

CCioPrivateKey::~CCioPrivateKey() = default;

CCioPrivateKey::CCioPrivateKey(const CCioFrame& frame) : CCioKey(frame), m_rec(new Record) {
    const IASSCU::CDerOctet* attributes = frame.subClassAttributes();
    if (attributes == nullptr) {
        return;
    }
    const IASSCU::CISOSequence<IASSCU::CommonPrivateKeyAttributes> s{*attributes};
    m_rec->name = cio::present(s, "name");
    m_rec->keyIdentifiers = cio::identifiers(s, "keyIdentifiers");
    m_rec->generalName = cio::present(s, "generalName");
}

ZAZ::ByteVector CCioPrivateKey::encodeSubClassAttributes() const {
    IASSCU::CISOSequence<IASSCU::CommonPrivateKeyAttributes> s;
    cio::setEncoded(s, "name", m_rec->name);
    cio::setIdentifiers(s, "keyIdentifiers", m_rec->keyIdentifiers);
    cio::setEncoded(s, "generalName", m_rec->generalName);
    return cio::assembled(s);
}

ZAZ::ByteVector CCioPrivateKey::name() const {
    return m_rec->name;
}

const std::vector<CCioCredentialIdentifier>& CCioPrivateKey::keyIdentifiers() const {
    return m_rec->keyIdentifiers;
}

ZAZ::ByteVector CCioPrivateKey::generalName() const {
    return m_rec->generalName;
}

} // namespace IAS
