#include "Asn1/CBerTlv.h"

#include "Asn1/ByteReader.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Cast.h"
#include "Zaz/Messages.h"

#include <algorithm>
#include <utility>

namespace IAS {

namespace {
constexpr std::int32_t kValueCapacity = ZAZ::ByteVector::kDefaultCapacity;

using ZAZ::fail;

unsigned int readTag(ByteReader& in) {
    unsigned char b = 0;
    if (!in.takeByte(b)) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    unsigned int tag = b;
    if ((b & 0x1F) == 0x1F) {
        int count = 1;
        do {
            if (!in.takeByte(b) || ++count > 4) {
                fail(ZAZ::Msg::kDecodingError);
            }
            tag = (tag << 8) | b;
        } while ((b & 0x80) != 0);
    }
    if (in.atEnd()) {
        fail(ZAZ::Msg::kDecodingError);
    }
    return tag;
}

std::int32_t readLength(ByteReader& in) {
    unsigned char b = 0;
    if (!in.takeByte(b)) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    if (b < 0x80) {
        return b;
    }
    const int count = b & 0x7F;
    if (count == 0) {
        fail(ZAZ::Msg::kDecodingError);
    }
    std::uint32_t length = 0;
    for (int i = 0; i < count; ++i) {
        if (!in.takeByte(b) || length > 0x7FFFFF) {
            fail(ZAZ::Msg::kDecodingError);
        }
        length = (length << 8) | b;
    }
    return static_cast<std::int32_t>(length);
}

// The first byte of the minimal big-endian form of a tag number.
unsigned char firstTagByte(unsigned int tag) {
    while (tag > 0xFF) {
        tag >>= 8;
    }
    return static_cast<unsigned char>(tag);
}

ByteReader readerAt(const ZAZ::ByteVectorBase& bytes, std::int32_t position) {
    ByteReader in(bytes);
    if (position < 0 || in.take(static_cast<std::size_t>(position)) == nullptr) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    return in;
}
} // namespace

struct CBerTlv::Record {
    bool null = true;
    bool constructed = false;
    unsigned int tag = 0;
    ZAZ::ByteVector value{kValueCapacity};
};

const CBerTlv& CBerTlv::nullElement() {
    static const CBerTlv element;
    return element;
}

CBerTlv::CBerTlv() : m_rec(new Record) {}

CBerTlv::CBerTlv(unsigned int tag, int length) {
    if (length < 0) {
        fail(ZAZ::Msg::kIllegalParameter);
    }
    m_rec.reset(new Record);
    m_rec->null = false;
    m_rec->tag = tag;
    m_rec->constructed = isConstructedTag(tag);
    m_rec->value.resize(length);
}

CBerTlv::CBerTlv(unsigned int tag, const ZAZ::ByteVector& value) : m_rec(new Record) {
    m_rec->null = false;
    m_rec->tag = tag;
    m_rec->constructed = isConstructedTag(tag);
    m_rec->value.assign(value);
}

CBerTlv::CBerTlv(const ZAZ::ByteVector& encoding) {
    ByteReader in(encoding);
    const unsigned int tag = readTag(in);
    const std::int32_t length = readLength(in);
    const unsigned char* value = in.take(static_cast<std::size_t>(length));
    if (value == nullptr) {
        fail(ZAZ::Msg::kDecodingError);
    }
    CBerTlv element(tag, ZAZ::ByteVector(value, length, std::max(length, kValueCapacity)));
    m_rec.swap(element.m_rec);
}

const CBerTlv::Record& CBerTlv::rec() const {
    // A moved-from element reads as the null element.
    static const Record empty;
    return m_rec.get() != nullptr ? *m_rec : empty;
}

CBerTlv::Record& CBerTlv::live() {
    if (m_rec.get() == nullptr || m_rec->null) {
        fail(ZAZ::Msg::kUnknownError);
    }
    return *m_rec;
}

CBerTlv::Record& CBerTlv::constructedRecord() {
    Record& r = live();
    if (!r.constructed) {
        fail(ZAZ::Msg::kUnknownError);
    }
    return r;
}

const CBerTlv::Record& CBerTlv::constructedRecord() const {
    return const_cast<CBerTlv*>(this)->constructedRecord();
}

CBerTlv::Record& CBerTlv::primitiveRecord() {
    Record& r = live();
    if (r.constructed) {
        fail(ZAZ::Msg::kUnknownError);
    }
    return r;
}

const CBerTlv::Record& CBerTlv::primitiveRecord() const {
    return const_cast<CBerTlv*>(this)->primitiveRecord();
}

bool CBerTlv::isNull() const {
    return rec().null;
}

bool CBerTlv::isConstructed() const {
    return const_cast<CBerTlv*>(this)->live().constructed;
}

unsigned int CBerTlv::tag() const {
    return const_cast<CBerTlv*>(this)->live().tag;
}

unsigned int CBerTlv::tagClass() const {
    return firstTagByte(tag()) >> 6;
}

ZAZ::ByteVector CBerTlv::value() const {
    return const_cast<CBerTlv*>(this)->live().value;
}

ZAZ::ByteVectorBase CBerTlv::valueView() const {
    const ZAZ::ByteVector& v = const_cast<CBerTlv*>(this)->live().value;
    return ZAZ::ByteVectorBase(v.data(), v.size());
}

void CBerTlv::setValue(const ZAZ::ByteVector& value) {
    live().value.assign(value);
}

unsigned char CBerTlv::toUInt8() const {
    const ZAZ::ByteVector& v = primitiveRecord().value;
    if (v.size() != 1) {
        fail(ZAZ::Msg::kDecodingError);
    }
    return v[0];
}

std::uint16_t CBerTlv::toUInt16() const {
    const ZAZ::ByteVector& v = primitiveRecord().value;
    if (v.size() != 2) {
        fail(ZAZ::Msg::kDecodingError);
    }
    return static_cast<std::uint16_t>((v[0] << 8) | v[1]);
}

std::uint32_t CBerTlv::toUInt32() const {
    const ZAZ::ByteVector& v = primitiveRecord().value;
    if (v.size() < 1 || v.size() > 4) {
        fail(ZAZ::Msg::kDecodingError);
    }
    std::uint32_t result = 0;
    for (std::int32_t i = 0; i < v.size(); ++i) {
        result = (result << 8) | v[i];
    }
    return result;
}

CBerTlv& CBerTlv::setUInt8(unsigned char v) {
    ZAZ::ByteVector& value = primitiveRecord().value;
    value.clear();
    value.appendByte(v);
    return *this;
}

CBerTlv& CBerTlv::setUInt16(std::uint16_t v) {
    ZAZ::ByteVector& value = primitiveRecord().value;
    value.clear();
    value.appendU16(v);
    return *this;
}

CBerTlv& CBerTlv::setUInt32(std::uint32_t v) {
    ZAZ::ByteVector& value = primitiveRecord().value;
    value.clear();
    bool started = false;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto b = static_cast<unsigned char>(v >> shift);
        if (started || b != 0 || shift == 0) {
            value.appendByte(b);
            started = true;
        }
    }
    return *this;
}

std::vector<CBerTlv> CBerTlv::scan(const ZAZ::ByteVectorBase& bytes, bool filter, unsigned int tag,
                                   bool skipPadding) {
    std::vector<CBerTlv> result;
    ByteReader in(bytes);
    unsigned char next = 0;
    while (in.peekByte(next)) {
        if (skipPadding && next == 0x00) {
            in.take(1);
            continue;
        }
        const unsigned int found = readTag(in);
        const std::int32_t length = readLength(in);
        // A last value longer than what is left is cut short, not refused.
        const std::size_t n = std::min(static_cast<std::size_t>(length), in.remaining());
        const unsigned char* value = in.take(n);
        if (!filter || found == tag) {
            const auto size = ZAZ::Cast<std::int32_t>(n);
            result.emplace_back(found,
                                ZAZ::ByteVector(value, size, std::max(size, kValueCapacity)));
        }
    }
    return result;
}

std::vector<CBerTlv> CBerTlv::children() const {
    return scan(constructedRecord().value, false, 0, false);
}

std::vector<CBerTlv> CBerTlv::children(unsigned int tag) const {
    return scan(constructedRecord().value, true, tag, false);
}

CBerTlv CBerTlv::child(unsigned int tag) const {
    std::vector<CBerTlv> found = children(tag);
    if (found.empty()) {
        return nullElement();
    }
    if (found.size() > 1) {
        fail(ZAZ::Msg::kDecodingError);
    }
    return std::move(found.front());
}

CBerTlv& CBerTlv::operator+=(const CBerTlv& child) {
    Record& r = constructedRecord();
    r.value.append(child.encode());
    return *this;
}

CBerTlv& CBerTlv::operator+=(const ZAZ::ByteVector& bytes) {
    constructedRecord().value.append(bytes);
    return *this;
}

void CBerTlv::clear() {
    constructedRecord().value.clear();
}

ZAZ::ByteVector CBerTlv::encode() const {
    const Record& r = rec();
    if (r.null) {
        return ZAZ::ByteVector(kValueCapacity);
    }
    const std::int32_t size = r.value.size();
    ZAZ::ByteVector out(std::max(size + 10, kValueCapacity));
    out.append(encodeTag(r.tag));
    appendLength(out, static_cast<std::uint32_t>(size));
    out.append(r.value);
    return out;
}

std::vector<CBerTlv> CBerTlv::parseList(const ZAZ::ByteVector& bytes) {
    return scan(bytes, false, 0, true);
}

std::vector<CBerTlv> CBerTlv::parseList(const ZAZ::ByteVector& bytes, unsigned int tag) {
    return scan(bytes, true, tag, true);
}

unsigned int CBerTlv::parseTag(const ZAZ::ByteVectorBase& bytes, std::int32_t& position) {
    ByteReader in = readerAt(bytes, position);
    const unsigned int tag = readTag(in);
    position = static_cast<std::int32_t>(in.position());
    return tag;
}

std::int32_t CBerTlv::parseLength(const ZAZ::ByteVectorBase& bytes, std::int32_t& position) {
    ByteReader in = readerAt(bytes, position);
    const std::int32_t length = readLength(in);
    position = static_cast<std::int32_t>(in.position());
    return length;
}

ZAZ::ByteVector CBerTlv::encodeTag(unsigned int tag) {
    unsigned char bytes[4];
    int n = 0;
    do {
        bytes[3 - n] = static_cast<unsigned char>(tag);
        ++n;
        tag >>= 8;
    } while (tag != 0);
    return ZAZ::ByteVector(bytes + 4 - n, n, 16);
}

ZAZ::ByteVector CBerTlv::encodeLength(std::uint32_t length) {
    ZAZ::ByteVector out(16);
    appendLength(out, length);
    return out;
}

void CBerTlv::appendLength(ZAZ::ByteVector& out, std::uint32_t length) {
    if (length < 0x80) {
        out.appendByte(static_cast<unsigned char>(length));
        return;
    }
    int k = 1;
    while (k < 4 && (length >> (8 * k)) != 0) {
        ++k;
    }
    out.appendByte(static_cast<unsigned char>(0x80 | k));
    for (int i = k - 1; i >= 0; --i) {
        out.appendByte(static_cast<unsigned char>(length >> (8 * i)));
    }
}

bool CBerTlv::isConstructedTag(unsigned int tag) {
    return (firstTagByte(tag) & 0x20) != 0;
}

} // namespace IAS
