// A PIN of the card as its AODF describes it, and the bytes VERIFY sends for
// what the user typed.
#ifndef PKCS11_PIN_H
#define PKCS11_PIN_H

#include "Attributes.h"

#include "token/Bytes.h"

#include <ias/CCiaPath.h>

#include <string>

namespace p11 {

struct Pin {
    std::string label;
    token::Bytes authId;
    unsigned char reference = 0;
    int pwdType = 1; ///< 0 bcd, 1 ascii-numeric, 2 utf8, 3 half-nibble-bcd, 4 iso9564-1
    unsigned int flags = 0;
    unsigned long minLength = 0;
    unsigned long maxLength = 0; ///< 0: no maximum given
    unsigned long storedLength = 0;
    unsigned char padChar = 0xFF;
    bool padDefined = false;
    int maxTriesSeen = 0;            ///< the most tries left the card reported since insertion
    bool failedSinceSuccess = false; ///< a wrong PIN was given since the last right one
    bool hasPath = false;            ///< the AODF names the DF the PIN belongs to
    ias::CCiaPath path;

    enum : unsigned int {
        CaseSensitive = 1u << 0,
        NeedsPadding = 1u << 5,
        Unblocking = 1u << 6,
        SecurityOfficer = 1u << 7
    };

    /// Whether `n` characters fit the lengths the AODF gives.
    /// Whether `n` characters fit the lengths the AODF gives; an empty PIN
    /// never does (VERIFY without data asks the card for its counter).
    bool lengthFits(unsigned long n) const {
        return n > 0 && n >= minLength && n <= (maxLength ? maxLength : 64);
    }
    /// The VERIFY data for the typed PIN: encoded as pwdType says, padded to
    /// storedLength with padChar when the needs-padding flag is set. False
    /// when the text cannot be encoded so (a letter in a numeric PIN).
    bool format(const unsigned char* text, unsigned long n, token::Bytes& out) const;
};

} // namespace p11

#endif
