#include "Cia/CCioPublicRSAKey.h"

#include "Cia/CioParts.h"

namespace IAS {

struct CCioPublicRSAKey::Record : cio::KeyType<IASSCU::PublicRsaKeyAttributes, CCioObjectValue> {};

CCioPublicRSAKey::CCioPublicRSAKey() : m_rec(new Record) {}

CCioPublicRSAKey::CCioPublicRSAKey(const CCioFrame& frame)
    : CCioPublicKey(frame), m_rec(new Record) {
    m_rec->decode(frame.typeAttributes());
}

CCioPublicRSAKey::~CCioPublicRSAKey() = default;

ZAZ::ByteVector CCioPublicRSAKey::encodeTypeAttributes() const {
    return m_rec->encode();
}

int CCioPublicRSAKey::choice() const {
    return -1;
}

CCioPublicRSAKey* CCioPublicRSAKey::clone() const {
    return new CCioPublicRSAKey(*this);
}

const CCioObjectValue& CCioPublicRSAKey::value() const {
    return m_rec->value;
}

std::int32_t CCioPublicRSAKey::modulusLength() const {
    return m_rec->modulusLength;
}

const CCioKeyInfo& CCioPublicRSAKey::keyInfo() const {
    return m_rec->keyInfo;
}

} // namespace IAS
