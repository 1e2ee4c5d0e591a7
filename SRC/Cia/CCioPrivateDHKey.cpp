#include "Cia/CCioPrivateDHKey.h"

#include "Cia/CioParts.h"

namespace IAS {

struct CCioPrivateDHKey::Record : cio::KeyType<IASSCU::PrivateDhKeyAttributes, CCiaPath> {};

CCioPrivateDHKey::CCioPrivateDHKey() : m_rec(new Record) {}

CCioPrivateDHKey::CCioPrivateDHKey(const CCioFrame& frame)
    : CCioPrivateKey(frame), m_rec(new Record) {
    m_rec->decode(frame.typeAttributes());
}

CCioPrivateDHKey::~CCioPrivateDHKey() = default;

ZAZ::ByteVector CCioPrivateDHKey::encodeTypeAttributes() const {
    return m_rec->encode();
}

int CCioPrivateDHKey::choice() const {
    return 1;
}

CCioPrivateDHKey* CCioPrivateDHKey::clone() const {
    return new CCioPrivateDHKey(*this);
}

const CCiaPath& CCioPrivateDHKey::value() const {
    return m_rec->value;
}

const CCioKeyInfo& CCioPrivateDHKey::keyInfo() const {
    return m_rec->keyInfo;
}

} // namespace IAS
