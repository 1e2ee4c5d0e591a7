#ifndef ZAZ_PACKEDSTRINGLIST_H
#define ZAZ_PACKEDSTRINGLIST_H

#include "Zaz/ByteVector.h"

#include <string>

namespace ZAZ {

/// Short strings packed back to back in one byte vector, each behind one
/// length byte (the low 8 bits of its length). Reader names and supported
/// card names travel in this form. A string past 255 characters is still
/// written whole, so its length byte no longer walks to the next entry.
class PackedStringList {
public:
    PackedStringList() = default;
    /// A list received in packed form, taken as it stands.
    explicit PackedStringList(const ByteVector& packed) : m_bytes(packed) {}

    void clear() { m_bytes.clear(); }
    void append(const std::string& s);
    /// Number of entries, found by walking the length bytes.
    int count() const;
    /// Entry i; "Index out of bound." for i outside [0, count), "Invalid
    /// string." when an entry's length byte runs past the end.
    std::string get(int i) const;
    bool contains(const std::string& s) const;
    /// Each entry followed by a NUL, and one more NUL at the end.
    std::string toMultiString() const;

    const ByteVector& bytes() const { return m_bytes; }

private:
    ByteVector m_bytes;
};

} // namespace ZAZ

#endif
