#include "Cia/CCioPublicDHKey.h"

#include "Cia/CioParts.h"

namespace IAS {

struct CCioPublicDHKey::Record : cio::KeyType<IASSCU::PublicDhKeyAttributes, CCioObjectValue> {};

CCioPublicDHKey::CCioPublicDHKey() : m_rec(new Record) {}

CCioPublicDHKey::CCioPublicDHKey(const CCioFrame& frame) : CCioPublicKey(frame), m_rec(new Record) {
    m_rec->decode(frame.typeAttributes());
}

CCioPublicDHKey::~CCioPublicDHKey() = default;

ZAZ::ByteVector CCioPublicDHKey::encodeTypeAttributes() const {
    return m_rec->encode();
}

int CCioPublicDHKey::choice() const {
    return 1;
}

CCioPublicDHKey* CCioPublicDHKey::clone() const {
    return new CCioPublicDHKey(*this);
}

const CCioObjectValue& CCioPublicDHKey::value() const {
    return m_rec->value;
}

const CCioKeyInfo& CCioPublicDHKey::keyInfo() const {
    return m_rec->keyInfo;
}

} // namespace IAS
