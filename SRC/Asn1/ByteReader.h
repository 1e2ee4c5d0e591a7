#ifndef ASN1_BYTEREADER_H
#define ASN1_BYTEREADER_H

#include "Zaz/ByteVectorBase.h"

#include <cstddef>
#include <cstdint>

namespace IAS {

/// A forward-only cursor over bytes that are not owned. Every decoder of card
/// data reads through one of these, so that take() is the only place where a
/// bound is checked: it either hands out n bytes that exist or nothing.
class ByteReader {
public:
    ByteReader(const unsigned char* data, std::size_t size)
        : m_data(data), m_size(data != nullptr ? size : 0), m_pos(0) {}
    explicit ByteReader(const ZAZ::ByteVectorBase& bytes)
        : ByteReader(bytes.data(), static_cast<std::size_t>(bytes.size())) {}

    std::size_t remaining() const { return m_size - m_pos; }
    std::size_t position() const { return m_pos; }
    bool atEnd() const { return m_pos == m_size; }

    /// The next n bytes, consumed; null (and nothing consumed) when fewer remain.
    const unsigned char* take(std::size_t n) {
        if (n > m_size - m_pos) {
            return nullptr;
        }
        const unsigned char* p = m_data + m_pos;
        m_pos += n;
        return p;
    }

    /// One byte into `b`; false at the end.
    bool takeByte(unsigned char& b) {
        const unsigned char* p = take(1);
        if (p == nullptr) {
            return false;
        }
        b = *p;
        return true;
    }

    /// The next byte without consuming it; false at the end.
    bool peekByte(unsigned char& b) const {
        if (m_pos >= m_size) {
            return false;
        }
        b = m_data[m_pos];
        return true;
    }

private:
    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_pos;
};

} // namespace IAS

#endif
