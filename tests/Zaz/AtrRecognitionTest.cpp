#include "Zaz/AtrRecognition.h"
#include "Zaz/ByteVector.h"

#include "Zaz/TempConfigRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const char* hex) {
    const ZAZ::ByteVector v(hex);
    return std::vector<unsigned char>(v.begin(), v.end());
}

/// The card name for this ATR under the current root; checks the terminators.
std::string NameFor(const char* atrHex, LONG* rv = nullptr) {
    const auto atr = Bytes(atrHex);
    std::vector<char> names;
    const LONG result = SYS_ListCardsByAtr(0, atr.data(), atr.size(), names);
    if (rv != nullptr) {
        *rv = result;
    }
    if (names.size() == 1) {
        EXPECT_EQ(names[0], '\0');
        return "";
    }
    EXPECT_GE(names.size(), 3u);
    EXPECT_EQ(names[names.size() - 1], '\0');
    EXPECT_EQ(names[names.size() - 2], '\0');
    return std::string(names.data(), names.size() - 2);
}

} // namespace

TEST(AtrRecognitionTest, HexTextAndTheComparisonsOfNamingAndLocating) {
    const struct {
        const char* text;
        const char* bytes;
    } texts[] = {
        {"3B6e", "3B 6E"},
        {"3B6", "3B"}, // odd final digit dropped
        {"", ""},
        {"G0", "00"},      // 'G' gives nibble 16: only the low 8 bits of the byte survive
        {"3B 0", "3B 00"}, // a blank is not skipped: (-16 << 4) + 0 wraps to 00
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(t.text);
        EXPECT_EQ(ZAZ::AtrHexToBytes(t.text), Bytes(t.bytes));
    }
    const std::string longText(200, 'F');
    EXPECT_EQ(ZAZ::AtrHexToBytes(longText.c_str()).size(), 64u); // 128 characters at most
    // Naming compares over the mask, locating over the ATR.
    const struct {
        const char* atr;
        const char* reference;
        const char* mask;
        bool names;
        bool locates; // missing mask and reference bytes read as 00
    } rows[] = {
        {"3B 6E 00", "3B 00", "FF 00", true, true},
        {"3B 6E", "", "", true, true}, // empty mask names any card
        {"", "", "", true, true},
        {"3F 6E", "3B 00", "FF 00", false, false},
        {"3B", "3B 00", "FF 00", false, true},                // ATR shorter than the mask
        {"3B 6E", "3B 6E 00 00", "FF FF 00 00", false, true}, // trailing don't-care bytes
        {"3B 6E", "3B", "FF 00", false, true},                // reference shorter than the mask
        {"3B 6E 11 22", "3B 6E", "FF FF", true, true},        // longer ATR
        {"3B 6E 01", "3B 6E 01", "FF FF", true, false},       // reference past the mask
        {"3B 6E", "3B 6E", "FE FF", false, false},            // the reference is not masked
        {"3B 6E", "3A 6E", "FF FF", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.atr) + " / " + row.reference + " / " + row.mask);
        const auto atr = Bytes(row.atr);
        EXPECT_EQ(ZAZ::AtrMatches(atr.data(), atr.size(), Bytes(row.reference), Bytes(row.mask)),
                  row.names);
        EXPECT_EQ(ZAZ::AtrLocates(atr.data(), atr.size(), Bytes(row.reference), Bytes(row.mask)),
                  row.locates);
    }
}

TEST(AtrRecognitionTest, NamesTheFirstMatchingBlockOfAtrCnf) {
    const char* const blocks = "# test cards\nCard: Exact\nAtr: 3B6E00112233\n"
                               "AtrMask: FFFFFFFFFFFF\nCard: Family\nAtr: 3b00\nAtrMask: ff00\n"
                               "Card: Second family\nAtr: 3B00\nAtrMask: FF00\n";
    const struct {
        const char* file; // atr.cnf, null: none
        const char* atr;
        const char* name;
        unsigned long rv;
    } rows[] = {
        {blocks, "3B 6E 00 11 22 33", "Exact", SCARD_S_SUCCESS},
        {blocks, "3B 6E 00 11 22 34", "Family", SCARD_S_SUCCESS}, // first of two matches
        {blocks, "3F 00", "", SCARD_S_SUCCESS},
        {blocks, "3B", "", SCARD_S_SUCCESS}, // shorter than every mask
        {"Card: Anything\r\nAtr: \r\nAtrMask: \r\n", "3B 02 14 50", "Anything", SCARD_S_SUCCESS},
        {nullptr, "3B 6E", "", SCARD_F_INTERNAL_ERROR},
        // A block without "AtrMask" ends the search, even before a matching
        // block that also lacks it.
        {"Card: Broken\nAtr: 3F00\nCard: Good\nAtr: 3B00\n", "3B 6E", "", SCARD_S_SUCCESS},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.atr);
        TempConfigRoot root;
        if (row.file != nullptr) {
            root.Write("atr.cnf", row.file);
        }
        LONG rv = -1;
        EXPECT_EQ(NameFor(row.atr, &rv), row.name);
        EXPECT_EQ(static_cast<unsigned long>(rv), row.rv);
    }
}

TEST(AtrRecognitionTest, ShippedAtrCnfNamesTheVirtualAndRealCards) {
    const char* source = std::getenv("IAS_TEST_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    TempConfigRoot root;
    std::filesystem::copy(std::string(source) + "/config", root.path(),
                          std::filesystem::copy_options::recursive);
    const struct {
        const char* atr;
        const char* name;
    } rows[] = {
        {"3B DD 18 00 81 31 FE 45 80 F9 A0 00 00 00 77 01 08 00 07 90 00 FE",
         "Oberthur Cosmo v7 IAS ECC"},
        {"3B 7D 13 00 00 4D 44 57 2D 49 41 53 2D 43 41 52 44 32", "Sagem IAS Premium"},
        {"3B 7F 96 00 00 00 31 B8 64 40 F3 85 10 73 94 01 80 82 90 00", "Gemalto IAS ECC Type 1"},
        {"3B FF 96 00 00 81 31 FE 00 31 B8 64 00 00 00 00 73 11 22 33 82 90 00",
         "Gemalto MultiApp ID IAS ECC"},
        {"3B 8F 80 01 80 4F 0C A0 00 00 03 06 03 00 01 00 00 00 00 6A", ""}, // a storage card
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.atr);
        EXPECT_EQ(NameFor(row.atr), row.name);
    }
    // Every card that atr.cnf names is listed as supported.
    for (const auto& row : rows) {
        EXPECT_TRUE(!*row.name ||
                    std::filesystem::exists(root / "ZAZ/ZAZIasEcc/SupportedSmartCards/" + row.name))
            << row.name;
    }
}
