#include <ias/CBlob.h>
#include <ias/CIASException.h>

#include "Zaz/ByteVector.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

using ias::CBlob;
using ias::CIASException;

namespace {
const unsigned char* text(const char* s) {
    return reinterpret_cast<const unsigned char*>(s);
}

void expectIllegalParameter(void (*call)()) {
    try {
        call();
        ADD_FAILURE() << "no exception";
    } catch (const CIASException& e) {
        EXPECT_EQ(e.errorClass(), CIASException::IAS_ERR_CARD_FRAMEWORK);
        EXPECT_EQ(e.error(), 0u);
        EXPECT_EQ(e.sw(), 0u);
        EXPECT_STREQ(e.descriptionA(), "Illegal parameter in function call.");
    }
}
} // namespace

TEST(CBlobTest, PointerConstructorAppendsAZeroByteAndSizesAreCapped) {
    EXPECT_EQ(ias::AsString(CBlob(text("ABC"), 0)), "41 42 43 00 ");
    EXPECT_EQ(ias::AsString(CBlob(text("ABC"), 2)), "41 42 00 ");
    EXPECT_EQ(CBlob(text(""), 0).length(), 1u);
    expectIllegalParameter([] { CBlob(nullptr, 3); });
    // Creation is limited to 767 bytes.
    EXPECT_EQ(CBlob(767, 'x').size(), 767u);
    EXPECT_THROW(CBlob(768, 'x'), std::bad_alloc);
    EXPECT_THROW(CBlob(std::string(768, 'x')), std::bad_alloc);
    const std::string long768(768, 'y'); // the limit is on n or the measured length
    EXPECT_EQ(CBlob(text(long768.c_str() + 1), 0).size(), 768u);
    EXPECT_THROW(CBlob(text(long768.c_str()), 768), std::bad_alloc);
    // Appending has no limit.
    CBlob big(767, 'a');
    big += CBlob(767, 'b');
    EXPECT_EQ(big.size(), 1534u);
    EXPECT_EQ(big[1533], 'b');
}

TEST(CBlobTest, IndexingSubstrBoundsAndHexText) {
    const CBlob blob = ias::_HB("0102030405");
    EXPECT_EQ(blob[4], 0x05);
    expectIllegalParameter([] { (void)ias::_HB("01")[1]; });
    EXPECT_EQ(ias::AsString(blob.substr(1, 3)), "02 03 04 ");
    EXPECT_EQ(blob.substr(5, 0).size(), 0u);
    expectIllegalParameter([] { (void)ias::_HB("0102030405").substr(6, 0); });
    expectIllegalParameter([] { (void)ias::_HB("0102030405").substr(3, 3); });
    expectIllegalParameter([] { (void)ias::_HB("0102030405").substr(0xFFFFFFFFu, 2); });
    EXPECT_THROW(blob.substr(0, 768), std::bad_alloc);
    // hex text
    struct {
        const char* hex;
        const char* formatted;
    } rows[] = {
        {"", ""},        {"3F00", "3F 00 "}, {"  3f 00  ", "3F 00 "},
        {"\t3F", "3F "}, {"3F0", "3F "}, // a lone final digit is ignored
        {"0a", "0A "},   {"3 F", "03 "}, // "3 " reads one value, then the lone F is ignored
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hex);
        EXPECT_EQ(ias::AsString(ias::_HB(row.hex)), row.formatted);
        EXPECT_EQ(ias::_HB(ias::_HB(std::string(row.hex))), row.formatted);
    }
    expectIllegalParameter([] { ias::_HB(static_cast<const char*>(nullptr)); });
    expectIllegalParameter([] { ias::_HB("3FZZ"); });
}

TEST(CBlobTest, ValueSemanticsAndConversionToByteVector) {
    CBlob a = ias::_HB("0102");
    CBlob b(a);
    b[0] = 0xFF;
    EXPECT_EQ(a[0], 0x01);
    EXPECT_FALSE(a == b);
    b = a;
    EXPECT_TRUE(a == b);
    a += a;
    EXPECT_EQ(ias::AsString(a), "01 02 01 02 ");
    EXPECT_EQ(CBlob(std::string("\x00\x3F", 2)).size(), 2u);

    const ZAZ::ByteVector small = ias::_HB("3F00");
    EXPECT_EQ(small.toString(), "3F 00 ");
    EXPECT_EQ(small.capacity(), 1024);
    CBlob big(700, 'a');
    big += CBlob(700, 'b');
    const ZAZ::ByteVector large = big;
    EXPECT_EQ(large.size(), 1400);
    EXPECT_GE(large.capacity(), 1400);
}
