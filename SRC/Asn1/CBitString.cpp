#include "Asn1/CBitString.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <utility>

namespace IASSCU {

namespace {
void checkIndex(int i) {
    if (i < 0) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
    }
}

// The number of bits the string holds: its data bits less the unused ones
// the first content byte counts, which read as 0 whatever the card put there.
std::int64_t bitCount(const ZAZ::ByteVector& content) {
    const std::int64_t bits = (std::int64_t(content.size()) - 1) * 8 - content[0];
    return bits > 0 ? bits : 0;
}

// The data bytes of the content, after the unused-bit count.
ZAZ::ByteVector dataOf(const ZAZ::ByteVector& content) {
    return ZAZ::ByteVector(ZAZ::ByteVectorBase(content, 1), content.size() + 8);
}
} // namespace

CBitString::CBitString() : CDerOctet(0, false, 3) {}

CBitString::CBitString(std::uint32_t mask) : CBitString() {
    setMask(mask);
}

CBitString::CBitString(const CDerOctet& element) : CDerOctet(element) {
    checkView(false, {3}, 3);
    if (storedContent().empty()) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kDecodingError);
    }
}

bool CBitString::bit(int i) const {
    checkIndex(i);
    const ZAZ::ByteVector& c = storedContent();
    if (c.empty() || i >= bitCount(c)) {
        return false;
    }
    return (c[1 + i / 8] & (0x80 >> (i % 8))) != 0;
}

void CBitString::setBit(int i) {
    checkIndex(i);
    ZAZ::ByteVector data = dataOf(storedContent());
    data.at(i / 8) |= static_cast<unsigned char>(0x80 >> (i % 8));
    store(std::move(data));
}

void CBitString::clearBit(int i) {
    checkIndex(i);
    if (i / 8 + 1 >= storedContent().size()) {
        return;
    }
    ZAZ::ByteVector data = dataOf(storedContent());
    data.at(i / 8) &= static_cast<unsigned char>(~(0x80 >> (i % 8)));
    store(std::move(data));
}

std::uint32_t CBitString::toMask() const {
    const ZAZ::ByteVector& c = storedContent();
    const std::int64_t count = c.empty() ? 0 : bitCount(c);
    std::uint32_t mask = 0;
    for (int i = 0; i < 32 && i < count; ++i) {
        if ((c[1 + i / 8] & (0x80 >> (i % 8))) != 0) {
            mask |= 1u << i;
        }
    }
    return mask;
}

void CBitString::setMask(std::uint32_t mask) {
    ZAZ::ByteVector data(8);
    for (int i = 0; i < 32; ++i) {
        if ((mask & (1u << i)) != 0) {
            data.at(i / 8) |= static_cast<unsigned char>(0x80 >> (i % 8));
        }
    }
    store(std::move(data));
}

void CBitString::store(ZAZ::ByteVector data) {
    // DER form: no trailing zero bytes, unused bits = trailing zeros of the last byte.
    std::int32_t n = data.size();
    while (n > 0 && data[n - 1] == 0) {
        --n;
    }
    unsigned char unused = 0;
    if (n > 0) {
        unsigned char last = data[n - 1];
        while ((last & 1) == 0) {
            ++unused;
            last >>= 1;
        }
    }
    ZAZ::ByteVector content(n + 1);
    content.appendByte(unused);
    content.append(data.data(), n);
    setContent(content);
}

} // namespace IASSCU
