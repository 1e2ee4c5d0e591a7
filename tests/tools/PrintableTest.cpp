// What card text may do to a terminal: nothing. Controls, C1 characters and
// bytes that are not UTF-8 come out as \xNN; well-formed text stays as it is.
#include "Tool.h"

#include <gtest/gtest.h>

namespace {

TEST(Printable, EscapesWhatATerminalWouldActOn) {
    const std::pair<std::string, std::string> cases[] = {
        {"Signature key", "Signature key"},
        {"\x1B]0;pwned\x07\x1B[2J", "\\x1B]0;pwned\\x07\\x1B[2J"},
        {"del\x7F", "del\\x7F"},
        {"tab\tnl\n", "tab\\x09nl\\x0A"},
        {"Sign\xC2\x9B"
         "7m",
         "Sign\\xC2\\x9B7m"},                         // U+009B, a C1 control
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},   // "été" stays
        {"\xF0\x9F\x94\x91", "\xF0\x9F\x94\x91"},     // four bytes, U+1F511
        {"Key \xC3(\xFF", "Key \\xC3(\\xFF"},         // broken sequence, invalid byte
        {"\xE0\x80\xAF", "\\xE0\\x80\\xAF"},          // overlong "/"
        {"\xED\xA0\x80", "\\xED\\xA0\\x80"},          // a surrogate
        {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"}, // past U+10FFFF
        {"cut \xE2\x82", "cut \\xE2\\x82"},           // sequence cut by the end
        {"a\\x1B", "a\\\\x1B"},                       // a backslash is doubled
        {std::string("nul\0", 4), "nul\\x00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tool::Printable(c.first), c.second);
    }
}

TEST(PinInput, ReferencesAreWholeNumbersThatFitAByte) {
    struct Case {
        const char* text;
        bool numeric;
        int reference; // when numeric
    };
    const Case cases[] = {{"81", true, 0x81}, {"0x81", true, 0x81}, {"0X1", true, 0x01},
                          {"A1", true, 0xA1}, {"CAFE", false, 0},   {"User PIN", false, 0},
                          {"0x", false, 0}};
    for (const Case& c : cases) {
        unsigned char ref = 0;
        EXPECT_EQ(tool::ParsePinReference(c.text, ref), c.numeric) << c.text;
        if (c.numeric) {
            EXPECT_EQ(ref, c.reference) << c.text;
        }
    }
    // Numbers that do not fit a byte are refused, never cut to one.
    for (const char* big : {"181", "0x100", "0x0181"}) {
        unsigned char ref = 0;
        EXPECT_THROW(tool::ParsePinReference(big, ref), tool::Failure) << big;
    }
}

TEST(PinInput, ApduTextMasksTheDataOfPinCommands) {
    const std::pair<const char*, const char*> cases[] = {
        {"0020008104 31323334", "00 20 00 81 04 ** ** ** **"},
        {"002C028208 3132333435363738", "00 2C 02 82 08 ** ** ** ** ** ** ** **"},
        {"0021008102 3132 00", "00 21 00 81 02 ** ** 00"}, // Le stays visible
        {"00A4000C02 3F00", "00 A4 00 0C 02 3F 00"},
        {"0020008100", "00 20 00 81 00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tool::ApduText(ias::_HB(c.first)), c.second) << c.first;
    }
}

} // namespace
