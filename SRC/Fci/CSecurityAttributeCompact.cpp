#include "Fci/CSecurityAttributeCompact.h"

#include "Asn1/ByteReader.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <map>

namespace IAS {

namespace {
constexpr unsigned char kProprietary = 0x80;
constexpr int kBits[] = {0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
} // namespace

struct CSecurityAttributeCompact::Record {
    bool proprietary = false;
    std::map<std::int32_t, std::uint8_t> conditions;
};

CSecurityAttributeCompact::CSecurityAttributeCompact() : m_rec(new Record) {}

CSecurityAttributeCompact::CSecurityAttributeCompact(const ZAZ::ByteVectorBase& bytes)
    : CSecurityAttributeCompact() {
    decode(bytes);
}

void CSecurityAttributeCompact::decode(const ZAZ::ByteVectorBase& bytes) {
    ByteReader in(bytes);
    unsigned char accessMode = 0;
    if (!in.takeByte(accessMode)) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
    }
    Record fresh;
    fresh.proprietary = (accessMode & kProprietary) != 0;
    for (int bit : kBits) {
        if ((accessMode & bit) == 0) {
            continue;
        }
        unsigned char condition = 0;
        if (!in.takeByte(condition)) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        fresh.conditions[bit] = condition;
    }
    std::swap(*m_rec, fresh);
}

bool CSecurityAttributeCompact::proprietary() const {
    return m_rec->proprietary;
}

std::pair<unsigned char, unsigned char>
CSecurityAttributeCompact::securityConditionByte(int accessModeBit) const {
    const auto found = m_rec->conditions.find(accessModeBit);
    if (found == m_rec->conditions.end()) {
        return {0, 0};
    }
    return {1, found->second};
}

ZAZ::ByteVector CSecurityAttributeCompact::encode() const {
    unsigned char accessMode = m_rec->proprietary ? kProprietary : 0;
    ZAZ::ByteVector conditions(8);
    for (int bit : kBits) {
        const auto found = m_rec->conditions.find(bit);
        if (found != m_rec->conditions.end()) {
            accessMode |= static_cast<unsigned char>(bit);
            conditions.appendByte(found->second);
        }
    }
    ZAZ::ByteVector out(8);
    out.appendByte(accessMode);
    out.append(conditions);
    return out;
}

std::int32_t CSecurityAttributeCompact::encodedSize(const ZAZ::ByteVectorBase& bytes) {
    if (bytes.empty()) {
        return 0;
    }
    std::int32_t n = 1;
    for (int bit : kBits) {
        if ((bytes.data()[0] & bit) != 0) {
            ++n;
        }
    }
    return n;
}

} // namespace IAS
