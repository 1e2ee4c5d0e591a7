#include "Zaz/PackedStringList.h"

#include "Zaz/CardFrameworkException.h"

namespace ZAZ {

namespace {
constexpr const char* kIndexOutOfBound = "Index out of bound.";
constexpr const char* kInvalidString = "Invalid string.";
} // namespace

void PackedStringList::append(const std::string& s) {
    // The length byte keeps only the low 8 bits, but every byte of the string
    // is written: past 255 characters the walk no longer finds the entries.
    m_bytes.appendByte(static_cast<unsigned char>(s.size() & 0xFF));
    m_bytes.append(reinterpret_cast<const unsigned char*>(s.data()),
                   static_cast<std::int32_t>(s.size()));
}

int PackedStringList::count() const {
    int n = 0;
    std::int32_t pos = 0;
    while (pos < m_bytes.size()) {
        pos += 1 + m_bytes[pos];
        ++n;
    }
    return n;
}

std::string PackedStringList::get(int i) const {
    if (i < 0 || i >= count()) {
        throw CardFrameworkException(kIndexOutOfBound);
    }
    std::int32_t pos = 0;
    for (int k = 0; k < i; ++k) {
        pos += 1 + m_bytes[pos];
    }
    const std::int32_t length = m_bytes[pos];
    if (pos + 1 + length > m_bytes.size()) {
        throw CardFrameworkException(kInvalidString);
    }
    return std::string(reinterpret_cast<const char*>(m_bytes.data()) + pos + 1,
                       static_cast<std::size_t>(length));
}

bool PackedStringList::contains(const std::string& s) const {
    const int n = count();
    for (int i = 0; i < n; ++i) {
        if (get(i) == s) {
            return true;
        }
    }
    return false;
}

std::string PackedStringList::toMultiString() const {
    std::string out;
    const int n = count();
    for (int i = 0; i < n; ++i) {
        out += get(i);
        out += '\0';
    }
    out += '\0';
    return out;
}

} // namespace ZAZ
