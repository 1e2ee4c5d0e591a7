// Byte strings and hex text for the virtual card.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vcard {

using Bytes = std::vector<std::uint8_t>;

// Parses hex text; blanks, colons and dashes between digit pairs are ignored.
inline Bytes fromHex(const std::string& text) {
    Bytes out;
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            v = c - 'A' + 10;
        } else if (c == ' ' || c == ':' || c == '-' || c == '\n' || c == '\t') {
            if (high >= 0) {
                throw std::invalid_argument("odd number of hex digits in \"" + text + "\"");
            }
            continue;
        } else {
            throw std::invalid_argument("not a hex digit in \"" + text + "\"");
        }
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<std::uint8_t>(high << 4 | v));
            high = -1;
        }
    }
    if (high >= 0) {
        throw std::invalid_argument("odd number of hex digits in \"" + text + "\"");
    }
    return out;
}

// Upper-case hex without separators, the form used in the trace file.
inline std::string toHex(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 0x0F]);
    }
    return out;
}

inline void appendTlv(Bytes& out, std::uint8_t tag, const Bytes& value) {
    out.push_back(tag);
    std::size_t n = value.size();
    if (n < 0x80) {
        out.push_back(static_cast<std::uint8_t>(n));
    } else if (n < 0x100) {
        out.push_back(0x81);
        out.push_back(static_cast<std::uint8_t>(n));
    } else {
        out.push_back(0x82);
        out.push_back(static_cast<std::uint8_t>(n >> 8));
        out.push_back(static_cast<std::uint8_t>(n & 0xFF));
    }
    out.insert(out.end(), value.begin(), value.end());
}

} // namespace vcard
