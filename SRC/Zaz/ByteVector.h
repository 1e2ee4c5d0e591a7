#ifndef ZAZ_BYTEVECTOR_H
#define ZAZ_BYTEVECTOR_H

#include "Zaz/ByteVectorBase.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace ZAZ {

/// The internal owning byte string. Capacity grows in steps of the initial
/// capacity (1024 by default); storage is taken lazily within it (nothing
/// until the first byte, then doubling from 64 bytes up to the capacity) and
/// wiped with zeros before it is released. data() is never null. Reads of
/// sub-ranges never throw; allocation failure throws OutOfMemory.
class ByteVector : public ByteVectorBase {
public:
    static constexpr std::int32_t kDefaultCapacity = 1024;

    explicit ByteVector(std::int32_t capacity = kDefaultCapacity);
    ByteVector(const unsigned char* data, std::int32_t size,
               std::int32_t capacity = kDefaultCapacity);
    explicit ByteVector(const ByteVectorBase& view, std::int32_t capacity = kDefaultCapacity);
    /// Hexadecimal text: blanks ignored, digit pairs in either case, an odd final digit dropped.
    explicit ByteVector(const char* hex, std::int32_t capacity = kDefaultCapacity);
    explicit ByteVector(const std::string& hex, std::int32_t capacity = kDefaultCapacity);
    /// The copy keeps the source's capacity.
    ByteVector(const ByteVector& other);
    ByteVector(ByteVector&& other) noexcept;
    ByteVector& operator=(const ByteVector& other);
    ByteVector& operator=(ByteVector&& other) noexcept;
    ~ByteVector() override;

    unsigned char* data() { return m_data; }
    const unsigned char* data() const { return m_data; }
    std::int32_t capacity() const { return m_capacity; }
    /// Bytes of storage actually held: 0 until the first byte is stored, then
    /// growing towards the capacity.
    std::int32_t allocated() const { return m_allocated; }

    void assign(const ByteVectorBase& other);
    void assign(const unsigned char* data, std::int32_t size);
    void append(const ByteVectorBase& other);
    void append(const unsigned char* data, std::int32_t size);
    void appendByte(unsigned char b);
    void appendU16(std::uint16_t v);
    void appendU32(std::uint32_t v);

    /// Byte i; when i is past the end the vector first grows to i + 1 bytes, zero-filled.
    unsigned char& at(std::int32_t i);
    /// Byte i for reading; a negative or past-the-end index is "Illegal parameter in function
    /// call.".
    unsigned char operator[](std::int32_t i) const;

    /// Sets the size to n; new bytes take `fill`.
    void resize(std::int32_t n, unsigned char fill = 0);
    /// Bytes [offset, min(size, offset + count)); empty when out of range. Never throws
    /// except on allocation failure.
    ByteVector substr(std::int32_t offset, std::int32_t count) const;
    /// Inserts at a position not past the end; a position past the end does nothing.
    void insert(std::int32_t position, const ByteVectorBase& other);
    /// Removes the inclusive range [first, last], clamped to the content.
    void erase(std::int32_t first, std::int32_t last);
    /// Size 0; the storage is wiped but kept.
    void clear();
    void reverse();

    /// Two upper-case hex digits and a blank per byte.
    std::string toString() const;
    /// The same text for any bytes: the one hex formatter of the library.
    static std::string ToHex(const unsigned char* bytes, std::size_t count);

    bool operator==(const ByteVectorBase& other) const;
    bool operator!=(const ByteVectorBase& other) const { return !(*this == other); }
    /// Shorter is smaller; equal sizes compare bytewise as unsigned values.
    bool operator<(const ByteVectorBase& other) const;

private:
    void reserveMore(std::int32_t needed);
    void release() noexcept;
    void appendHex(const char* hex);

    std::int32_t m_capacity;
    std::int32_t m_allocated;
    std::int32_t m_growStep;
};

std::ostream& operator<<(std::ostream& out, const ByteVectorBase& v);

} // namespace ZAZ

#endif
