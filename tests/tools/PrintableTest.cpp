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

TEST(Printable, ReferencesReadTheSameEverywhere) {
    EXPECT_EQ(tool::RefText(129), "129 (0x81)");
    EXPECT_EQ(tool::RefText(1), "1 (0x01)");
    EXPECT_EQ(tool::RefText(300), "300 (0x12C)");
}

} // namespace
