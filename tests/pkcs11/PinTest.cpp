// What VERIFY carries for a typed PIN, by the AODF's description of it.
#include "Pin.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct Case {
    int pwdType;
    bool padding;
    unsigned long stored;
    int padChar; // -1: none given
    const char* typed;
    const char* sent; // hex; nullptr: refused
};

TEST(Pin, FormatsAsTheAodfDescribes) {
    const Case cases[] = {
        {1, false, 8, -1, "1234", "31323334"},
        {1, true, 8, 0xFF, "1234", "31323334FFFFFFFF"},
        {1, true, 8, -1, "1234", "31323334FFFFFFFF"}, // FF when no padChar is given
        {1, true, 8, 0x00, "1234", "3132333400000000"},
        {0, false, 0, -1, "12345", "12345F"},                 // BCD, odd length
        {3, false, 0, -1, "1290", "F1F2F9F0"},                // half-nibble BCD
        {4, false, 0, -1, "1234", "241234FFFFFFFFFF"},        // ISO 9564-1 format 2
        {2, false, 0, -1, "\xC3\xA9t\xC3\xA9", "C3A954C3A9"}, // case-insensitive: T
        {2, false, 0, -1, "abZ", "41425A"},
        {1, false, 0, -1, "12a4", nullptr}, // not numeric
        {4, false, 0, -1, "123456789012345", nullptr},
    };
    for (const Case& c : cases) {
        p11::Pin pin;
        pin.pwdType = c.pwdType;
        pin.flags = c.padding ? static_cast<unsigned int>(p11::Pin::NeedsPadding) : 0u;
        pin.storedLength = c.stored;
        pin.padDefined = c.padChar >= 0;
        pin.padChar = static_cast<unsigned char>(c.padChar);
        token::Bytes out;
        const auto* text = reinterpret_cast<const unsigned char*>(c.typed);
        const bool ok = pin.format(text, std::strlen(c.typed), out);
        EXPECT_EQ(ok, c.sent != nullptr) << c.typed;
        if (ok && c.sent) {
            EXPECT_EQ(token::Hex(out), c.sent) << c.typed;
        }
    }
}

TEST(Pin, LengthsComeFromTheAodfAndNeverAllowAnEmptyPin) {
    p11::Pin pin;
    pin.minLength = 4;
    pin.maxLength = 8;
    EXPECT_FALSE(pin.lengthFits(3));
    EXPECT_TRUE(pin.lengthFits(4));
    EXPECT_TRUE(pin.lengthFits(8));
    EXPECT_FALSE(pin.lengthFits(9));
    pin.minLength = 0;
    pin.maxLength = 0;
    EXPECT_FALSE(pin.lengthFits(0)); // VERIFY without data only asks for the counter
    EXPECT_TRUE(pin.lengthFits(64));
    EXPECT_FALSE(pin.lengthFits(65));
}

} // namespace
