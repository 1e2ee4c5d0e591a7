// Card bytes as the token layer holds them: any length (the public CBlob
// refuses to be built above 767 bytes, so conversions go by appending), and
// wiped before release like the library's own buffers.
#ifndef TOKEN_BYTES_H
#define TOKEN_BYTES_H

#include <ias/CBlob.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace token {

/// Overwrites `n` bytes at `p` in a way the compiler keeps.
void WipeMemory(void* p, std::size_t n);

/// An allocator that overwrites what it frees, so card data (and PINs) are
/// not left behind in released heap blocks.
template <class T> struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <class U> WipingAllocator(const WipingAllocator<U>&) {}
    T* allocate(std::size_t n) { return std::allocator<T>().allocate(n); }
    void deallocate(T* p, std::size_t n) {
        WipeMemory(p, n * sizeof(T));
        std::allocator<T>().deallocate(p, n);
    }
    template <class U> bool operator==(const WipingAllocator<U>&) const { return true; }
    template <class U> bool operator!=(const WipingAllocator<U>&) const { return false; }
};

using Bytes = std::vector<unsigned char, WipingAllocator<unsigned char>>;

/// The bytes of `b`, of any length.
Bytes ToBytes(const ias::CBlob& b);
/// `b` as a blob, built by appending so that no length is refused.
ias::CBlob ToBlob(const Bytes& b);
/// `n` bytes at `p` as a blob, of any length.
ias::CBlob ToBlob(const unsigned char* p, std::size_t n);
/// Upper-case hexadecimal, `separator` between bytes.
std::string Hex(const unsigned char* p, std::size_t n, const char* separator = "");
std::string Hex(const Bytes& b, const char* separator = "");
std::string Hex(const ias::CBlob& b, const char* separator = "");

} // namespace token

#endif
