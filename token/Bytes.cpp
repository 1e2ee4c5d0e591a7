#include "token/Bytes.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstdio>

namespace token {

void WipeMemory(void* p, std::size_t n) {
    OPENSSL_cleanse(p, n);
}

Bytes ToBytes(const ias::CBlob& b) {
    const unsigned char* p = b.data();
    return p ? Bytes(p, p + b.size()) : Bytes();
}

ias::CBlob ToBlob(const unsigned char* p, std::size_t n) {
    // Pieces well under the blob's construction limit, appended.
    constexpr std::size_t kPiece = 512;
    ias::CBlob out;
    for (std::size_t at = 0; at < n; at += kPiece) {
        const std::size_t k = std::min(kPiece, n - at);
        ias::CBlob piece(static_cast<unsigned int>(k), '\0');
        for (std::size_t i = 0; i < k; ++i) {
            piece[static_cast<unsigned int>(i)] = p[at + i];
        }
        out += piece;
    }
    return out;
}

ias::CBlob ToBlob(const Bytes& b) {
    return ToBlob(b.data(), b.size());
}

std::string Hex(const unsigned char* p, std::size_t n, const char* separator) {
    std::string out;
    char digits[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(digits, sizeof digits, "%02X", p[i]);
        out += (i ? separator : "");
        out += digits;
    }
    return out;
}

std::string Hex(const Bytes& b, const char* separator) {
    return Hex(b.data(), b.size(), separator);
}

std::string Hex(const ias::CBlob& b, const char* separator) {
    return Hex(b.data(), b.size(), separator);
}

} // namespace token
