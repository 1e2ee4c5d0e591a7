#ifndef ZAZ_BYTEVECTORBASE_H
#define ZAZ_BYTEVECTORBASE_H

#include <cstdint>

namespace ZAZ {

/// A non-owning view of bytes: pointer and signed 32-bit size. It must not
/// outlive what it points to.
class ByteVectorBase {
public:
    ByteVectorBase() : m_data(nullptr), m_size(0) {}
    ByteVectorBase(const unsigned char* data, std::int32_t size)
        : m_data(const_cast<unsigned char*>(data)), m_size(data != nullptr && size > 0 ? size : 0) {
    }
    /// The bytes of `other` from `offset` on; empty when offset is at or past the end.
    ByteVectorBase(const ByteVectorBase& other, std::int32_t offset) : m_data(nullptr), m_size(0) {
        if (offset >= 0 && offset < other.m_size) {
            m_data = other.m_data + offset;
            m_size = other.m_size - offset;
        }
    }
    ByteVectorBase(const ByteVectorBase&) = default;
    ByteVectorBase& operator=(const ByteVectorBase&) = default;
    virtual ~ByteVectorBase() = default;

    std::int32_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const unsigned char* data() const { return m_data; }
    const unsigned char* begin() const { return m_data; }
    const unsigned char* end() const { return m_data + m_size; }

protected:
    unsigned char* m_data;
    std::int32_t m_size;
};

} // namespace ZAZ

#endif
