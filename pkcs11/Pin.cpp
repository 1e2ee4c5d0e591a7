#include "Pin.h"

namespace p11 {

bool Pin::format(const unsigned char* text, unsigned long n, token::Bytes& out) const {
    out.clear();
    const bool numeric = pwdType == 0 || pwdType == 1 || pwdType == 3 || pwdType == 4;
    for (unsigned long i = 0; i < n; ++i) {
        if (numeric && (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    switch (pwdType) {
    case 0: // BCD: two digits a byte, an odd last digit with F below it
        for (unsigned long i = 0; i < n; i += 2) {
            const unsigned char hi = static_cast<unsigned char>(text[i] - '0');
            const unsigned char lo =
                i + 1 < n ? static_cast<unsigned char>(text[i + 1] - '0') : 0x0F;
            out.push_back(static_cast<unsigned char>(hi << 4 | lo));
        }
        break;
    case 3: // half-nibble BCD: one digit a byte, F0 above it
        for (unsigned long i = 0; i < n; ++i) {
            out.push_back(static_cast<unsigned char>(0xF0 | (text[i] - '0')));
        }
        break;
    case 4: { // ISO 9564-1 format 2: 2L, the digits, F fill, 8 bytes
        if (n > 14) {
            return false;
        }
        unsigned char nibbles[16];
        nibbles[0] = 0x2;
        nibbles[1] = static_cast<unsigned char>(n);
        for (unsigned long i = 0; i < 14; ++i) {
            nibbles[i + 2] = i < n ? static_cast<unsigned char>(text[i] - '0') : 0x0F;
        }
        for (int i = 0; i < 16; i += 2) {
            out.push_back(static_cast<unsigned char>(nibbles[i] << 4 | nibbles[i + 1]));
        }
        return true;
    }
    default: // ASCII numeric and UTF-8: the text as typed
        out.assign(text, text + n);
        if (!(flags & CaseSensitive)) {
            for (unsigned char& ch : out) { // a PIN that ignores case is stored upper-case
                ch = ch >= 'a' && ch <= 'z' ? static_cast<unsigned char>(ch - 'a' + 'A') : ch;
            }
        }
        break;
    }
    if ((flags & NeedsPadding) && storedLength > out.size()) {
        out.resize(storedLength, padDefined ? padChar : 0xFF);
    }
    return true;
}

} // namespace p11
