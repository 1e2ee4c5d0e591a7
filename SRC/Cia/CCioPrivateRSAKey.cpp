#include "Cia/CCioPrivateRSAKey.h"

#include "Cia/CioParts.h"

namespace IAS {

struct CCioPrivateRSAKey::Record : cio::KeyType<IASSCU::PrivateRsaKeyAttributes, CCiaPath> {};

CCioPrivateRSAKey::CCioPrivateRSAKey() : m_rec(new Record) {}

CCioPrivateRSAKey::CCioPrivateRSAKey(const CCioFrame& frame)
    : CCioPrivateKey(frame), m_rec(new Record) {
    m_rec->decode(frame.typeAttributes());
}

CCioPrivateRSAKey::~CCioPrivateRSAKey() = default;

ZAZ::ByteVector CCioPrivateRSAKey::encodeTypeAttributes() const {
    return m_rec->encode();
}

int CCioPrivateRSAKey::choice() const {
    return -1;
}

CCioPrivateRSAKey* CCioPrivateRSAKey::clone() const {
    return new CCioPrivateRSAKey(*this);
}

const CCiaPath& CCioPrivateRSAKey::value() const {
    return m_rec->value;
}

std::int32_t CCioPrivateRSAKey::modulusLength() const {
    return m_rec->modulusLength;
}

const CCioKeyInfo& CCioPrivateRSAKey::keyInfo() const {
    return m_rec->keyInfo;
}

} // namespace IAS
