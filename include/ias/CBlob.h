#ifndef IAS_CBLOB_H
#define IAS_CBLOB_H

#include <ias/Export.h>
#include <ias/Owned.h>

#include <string>

namespace ZAZ {
class ByteVector;
}

namespace ias {

class CBlob;
IAS_API CBlob _HB(const char* hex);

/// The exported byte string: PIN values, APDU data, responses, ATRs and decoded
/// attribute values. Copies copy the bytes; released storage is wiped with zeros.
/// Constructors that create a blob of a given length, and substr(), refuse more
/// than 767 bytes with std::bad_alloc; operator+= has no such limit.
/// Other failures throw ias::CIASException.
class IAS_API CBlob {
public:
    CBlob();
    /// n copies of c.
    CBlob(unsigned int n, const char& c);
    /// The n bytes at p followed by one zero byte that is part of the value
    /// (length n + 1). n = 0 takes p as a NUL-terminated text, terminator included.
    /// The 767-byte limit applies to n (or the measured length), so 768 can be stored.
    CBlob(const unsigned char* p, unsigned int n);
    /// The bytes of s as they stand (no hex decoding).
    CBlob(const std::string& s);
    virtual ~CBlob();

    unsigned int size() const;
    unsigned int length() const;
    /// Byte i; i >= size() throws CIASException (class 2) "Illegal parameter in function call.".
    unsigned char& operator[](unsigned int i);
    const unsigned char& operator[](unsigned int i) const;
    CBlob& operator+=(const CBlob& other);
    bool operator==(const CBlob& other) const;
    /// count bytes from offset; offset + count past the end throws CIASException.
    CBlob substr(unsigned int offset, unsigned int count) const;

    /// A copy as the library's internal byte vector.
    operator ZAZ::ByteVector() const;

    /// The bytes, or null for an empty blob (convenience for callers).
    const unsigned char* data() const;

    class Impl;

private:
    friend IAS_API CBlob _HB(const char* hex);

    Owned<Impl> m_impl;
};

/// Parses hexadecimal text ("3F00", "3f 00"): blanks are skipped; at any other
/// position, with two or more characters left, sscanf "%2X" reads one byte from
/// there (skipping other white space as sscanf does) and the walk advances by two;
/// a lone final character is ignored. Malformed text or a null pointer throws
/// CIASException "Illegal parameter in function call.".
IAS_API CBlob _HB(const char* hex);
IAS_API CBlob _HB(std::string hex);
/// Formats a blob as two upper-case hex digits and a blank per byte ("3F 00 ").
IAS_API std::string _HB(const CBlob& blob);
IAS_API std::string AsString(const CBlob& blob);

} // namespace ias

#endif
