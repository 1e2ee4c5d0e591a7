#include "Zaz/ByteVector.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"
#include "Zaz/OutOfMemory.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <ostream>

namespace ZAZ {
namespace {
constexpr std::int32_t kMaxSize = std::numeric_limits<std::int32_t>::max();

// Storage past the size is never read, so it is not zero-filled here; it is
// wiped when released.
unsigned char* allocate(std::int32_t n) {
    auto* p = new (std::nothrow) unsigned char[n > 0 ? n : 1];
    if (p == nullptr) {
        throw OutOfMemory(Msg::kOutOfMemory);
    }
    return p;
}

// What an empty vector that has not allocated points at, so that data() is
// never null. Nothing is ever written to it: every write reserves first.
unsigned char g_noStorage[1];

// The first allocation of a vector; later ones double, never past the capacity.
constexpr std::int32_t kFirstAllocation = 64;

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}
} // namespace

// The capacity is a promise, not an allocation: storage is taken when the
// first byte arrives and grows up to the capacity as needed, so the many
// vectors that stay empty or short cost neither a large allocation nor a
// large wipe.
ByteVector::ByteVector(std::int32_t capacity)
    : ByteVectorBase(g_noStorage, 0), m_capacity(0), m_allocated(0),
      m_growStep(capacity > 0 ? capacity : kDefaultCapacity) {
    m_capacity = m_growStep;
}

ByteVector::ByteVector(const unsigned char* data, std::int32_t size, std::int32_t capacity)
    : ByteVector(capacity) {
    append(data, size);
}

ByteVector::ByteVector(const ByteVectorBase& view, std::int32_t capacity) : ByteVector(capacity) {
    append(view);
}

ByteVector::ByteVector(const char* hex, std::int32_t capacity) : ByteVector(capacity) {
    appendHex(hex);
}

ByteVector::ByteVector(const std::string& hex, std::int32_t capacity) : ByteVector(capacity) {
    appendHex(hex.c_str());
}

ByteVector::ByteVector(const ByteVector& other)
    : ByteVectorBase(g_noStorage, 0), m_capacity(other.m_capacity), m_allocated(0),
      m_growStep(other.m_growStep) {
    if (other.m_size > 0) {
        m_data = allocate(other.m_size);
        m_allocated = other.m_size;
        std::memcpy(m_data, other.m_data, static_cast<std::size_t>(other.m_size));
    }
    m_size = other.m_size;
}

ByteVector::ByteVector(ByteVector&& other) noexcept
    : ByteVectorBase(other), m_capacity(other.m_capacity), m_allocated(other.m_allocated),
      m_growStep(other.m_growStep) {
    other.m_data = g_noStorage;
    other.m_size = 0;
    other.m_capacity = 0;
    other.m_allocated = 0;
}

ByteVector& ByteVector::operator=(const ByteVector& other) {
    if (this != &other) {
        assign(other);
    }
    return *this;
}

ByteVector& ByteVector::operator=(ByteVector&& other) noexcept {
    if (this != &other) {
        release();
        m_data = other.m_data;
        m_size = other.m_size;
        m_capacity = other.m_capacity;
        m_allocated = other.m_allocated;
        m_growStep = other.m_growStep;
        other.m_data = g_noStorage;
        other.m_size = 0;
        other.m_capacity = 0;
        other.m_allocated = 0;
    }
    return *this;
}

ByteVector::~ByteVector() {
    release();
}

void ByteVector::release() noexcept {
    if (m_allocated > 0) {
        OPENSSL_cleanse(m_data, static_cast<std::size_t>(m_allocated));
        delete[] m_data;
    }
    m_data = g_noStorage;
    m_size = 0;
    m_capacity = 0;
    m_allocated = 0;
}

void ByteVector::reserveMore(std::int32_t needed) {
    // needed: bytes beyond the current size that must fit.
    if (needed <= 0 || needed <= m_allocated - m_size) {
        return;
    }
    if (needed > kMaxSize - m_size) {
        throw OutOfMemory(Msg::kOutOfMemory);
    }
    std::int32_t capacity = m_capacity;
    if (needed > m_capacity - m_size) {
        const std::int32_t missing = m_size + needed - m_capacity;
        const std::int64_t step =
            missing > m_growStep ? std::int64_t(m_growStep) + missing : std::int64_t(m_growStep);
        const std::int64_t grown = std::int64_t(m_capacity) + step;
        if (grown > kMaxSize) {
            throw OutOfMemory(Msg::kOutOfMemory);
        }
        capacity = static_cast<std::int32_t>(grown);
    }
    const std::int64_t wanted =
        std::max<std::int64_t>({std::int64_t(m_size) + needed, std::int64_t(m_allocated) * 2,
                                std::int64_t(kFirstAllocation)});
    const auto allocation = static_cast<std::int32_t>(std::min<std::int64_t>(wanted, capacity));
    unsigned char* fresh = allocate(allocation);
    if (m_size > 0) {
        std::memcpy(fresh, m_data, static_cast<std::size_t>(m_size));
    }
    const std::int32_t size = m_size;
    release();
    m_data = fresh;
    m_size = size;
    m_capacity = capacity;
    m_allocated = allocation;
}

void ByteVector::assign(const ByteVectorBase& other) {
    assign(other.data(), other.size());
}

void ByteVector::assign(const unsigned char* data, std::int32_t size) {
    if (data == m_data && size == m_size) {
        return;
    }
    if (size <= 0 || data == nullptr) {
        clear();
        return;
    }
    if (size > m_allocated) {
        // The source may live inside our storage: copy it out before growing.
        ByteVector copy(data, size, size);
        clear();
        reserveMore(size);
        std::memcpy(m_data, copy.m_data, static_cast<std::size_t>(size));
    } else {
        std::memmove(m_data, data, static_cast<std::size_t>(size));
        if (size < m_size) {
            OPENSSL_cleanse(m_data + size, static_cast<std::size_t>(m_size - size));
        }
    }
    m_size = size;
}

void ByteVector::append(const ByteVectorBase& other) {
    append(other.data(), other.size());
}

void ByteVector::append(const unsigned char* data, std::int32_t size) {
    if (data == nullptr || size <= 0) {
        return;
    }
    if (size > m_allocated - m_size && data >= m_data && data < m_data + m_allocated) {
        // Appending part of ourselves while growing: the source would move.
        ByteVector copy(data, size, size);
        append(copy.m_data, size);
        return;
    }
    reserveMore(size);
    std::memmove(m_data + m_size, data, static_cast<std::size_t>(size));
    m_size += size;
}

void ByteVector::appendByte(unsigned char b) {
    reserveMore(1);
    m_data[m_size++] = b;
}

void ByteVector::appendU16(std::uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
    append(b, 2);
}

void ByteVector::appendU32(std::uint32_t v) {
    const unsigned char b[4] = {static_cast<unsigned char>(v >> 24),
                                static_cast<unsigned char>(v >> 16),
                                static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)};
    append(b, 4);
}

unsigned char& ByteVector::at(std::int32_t i) {
    if (i < 0) {
        throw CardFrameworkException(Msg::kIllegalParameter);
    }
    if (i >= m_size) {
        resize(i + 1, 0);
    }
    return m_data[i];
}

unsigned char ByteVector::operator[](std::int32_t i) const {
    if (i < 0 || i >= m_size) {
        throw CardFrameworkException(Msg::kIllegalParameter);
    }
    return m_data[i];
}

void ByteVector::resize(std::int32_t n, unsigned char fill) {
    if (n < 0) {
        throw CardFrameworkException(Msg::kIllegalParameter);
    }
    if (n > m_size) {
        reserveMore(n - m_size);
        std::memset(m_data + m_size, fill, static_cast<std::size_t>(n - m_size));
    } else if (n < m_size) {
        OPENSSL_cleanse(m_data + n, static_cast<std::size_t>(m_size - n));
    }
    m_size = n;
}

ByteVector ByteVector::substr(std::int32_t offset, std::int32_t count) const {
    ByteVector out;
    if (offset >= 0 && offset < m_size && count > 0) {
        const std::int32_t n = std::min(count, m_size - offset);
        out.append(m_data + offset, n);
    }
    return out;
}

void ByteVector::insert(std::int32_t position, const ByteVectorBase& other) {
    if (position < 0 || position > m_size || other.size() <= 0) {
        return;
    }
    ByteVector copy(other.data(), other.size(), other.size());
    const std::int32_t n = copy.size();
    reserveMore(n);
    std::memmove(m_data + position + n, m_data + position,
                 static_cast<std::size_t>(m_size - position));
    std::memcpy(m_data + position, copy.m_data, static_cast<std::size_t>(n));
    m_size += n;
}

void ByteVector::erase(std::int32_t first, std::int32_t last) {
    if (m_size == 0 || last < first) {
        return;
    }
    first = std::max<std::int32_t>(first, 0);
    last = std::min<std::int32_t>(last, m_size - 1);
    if (first > last) {
        return;
    }
    const std::int32_t removed = last - first + 1;
    std::memmove(m_data + first, m_data + last + 1, static_cast<std::size_t>(m_size - last - 1));
    OPENSSL_cleanse(m_data + m_size - removed, static_cast<std::size_t>(removed));
    m_size -= removed;
}

void ByteVector::clear() {
    if (m_allocated > 0) {
        OPENSSL_cleanse(m_data, static_cast<std::size_t>(m_allocated));
    }
    m_size = 0;
}

void ByteVector::reverse() {
    std::reverse(m_data, m_data + m_size);
}

std::string ByteVector::toString() const {
    return ToHex(m_data, static_cast<std::size_t>(m_size));
}

std::string ByteVector::ToHex(const unsigned char* bytes, std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
        out += ' ';
    }
    return out;
}

bool ByteVector::operator==(const ByteVectorBase& other) const {
    return m_size == other.size() &&
           (m_size == 0 ||
            std::memcmp(m_data, other.data(), static_cast<std::size_t>(m_size)) == 0);
}

bool ByteVector::operator<(const ByteVectorBase& other) const {
    if (m_size != other.size()) {
        return m_size < other.size();
    }
    return m_size > 0 && std::memcmp(m_data, other.data(), static_cast<std::size_t>(m_size)) < 0;
}

void ByteVector::appendHex(const char* hex) {
    if (hex == nullptr) {
        return;
    }
    int high = -1;
    for (const char* p = hex; *p != '\0'; ++p) {
        if (*p == ' ') {
            continue;
        }
        const int v = hexValue(*p);
        if (v < 0) {
            throw CardFrameworkException(Msg::kIllegalParameter);
        }
        if (high < 0) {
            high = v;
        } else {
            appendByte(static_cast<unsigned char>((high << 4) | v));
            high = -1;
        }
    }
}

std::ostream& operator<<(std::ostream& out, const ByteVectorBase& v) {
    return out << ByteVector::ToHex(v.data(), static_cast<std::size_t>(v.size()));
}

} // namespace ZAZ
