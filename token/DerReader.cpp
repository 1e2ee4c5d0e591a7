#include "token/DerReader.h"

namespace token {

DerReader::DerReader(const unsigned char* data, std::size_t size, std::size_t base)
    : m_data(data), m_size(data ? size : 0), m_base(base) {}

DerReader DerReader::Element::children() const {
    return DerReader(contents, length, offset + (size - length));
}

void DerReader::skipFiller() {
    while (m_pos < m_size && (m_data[m_pos] == 0x00 || m_data[m_pos] == 0xFF)) {
        ++m_pos;
    }
}

bool DerReader::next(Element& out) {
    std::size_t at = m_pos;
    if (at >= m_size) {
        return false;
    }
    Element e;
    e.offset = m_base + at;
    e.firstByte = m_data[at++];
    e.tagClass = static_cast<TagClass>(e.firstByte >> 6);
    e.constructed = (e.firstByte & 0x20) != 0;
    e.number = e.firstByte & 0x1Fu;
    if (e.number == 0x1F) {
        // Long form: base-128 digits; more than four would not fit 32 bits.
        e.number = 0;
        for (int digits = 0;; ++digits) {
            if (at >= m_size || digits == 4) {
                return false;
            }
            const unsigned char b = m_data[at++];
            e.number = (e.number << 7) | (b & 0x7Fu);
            if ((b & 0x80) == 0) {
                break;
            }
        }
    }
    if (at >= m_size) {
        return false;
    }
    const unsigned char first = m_data[at++];
    std::size_t length = first;
    if (first & 0x80) {
        const std::size_t n = first & 0x7Fu;
        // Indefinite (0x80) is not DER; more than four length bytes is no card file.
        if (n == 0 || n > 4 || n > m_size - at) {
            return false;
        }
        length = 0;
        for (std::size_t i = 0; i < n; ++i) {
            length = (length << 8) | m_data[at++];
        }
    }
    if (length > m_size - at) {
        return false;
    }
    e.contents = m_data + at;
    e.length = length;
    e.size = at + length - m_pos;
    m_pos = at + length;
    out = e;
    return true;
}

bool DerReader::find(unsigned char tag, Element& out) {
    Element e;
    while (next(e)) {
        if (e.firstByte == tag) {
            out = e;
            return true;
        }
    }
    return false;
}

} // namespace token
