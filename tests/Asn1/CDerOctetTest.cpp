#include "Asn1/CDerOctet.h"
#include "Asn1/CBitString.h"
#include "Asn1/CBoolean.h"
#include "Asn1/CEnum.h"
#include "Asn1/CExplicitTag.h"
#include "Asn1/CGeneralizedTime.h"
#include "Asn1/CInteger.h"
#include "Asn1/CObjectIdentifier.h"
#include "Asn1/CSequenceOf.h"
#include "Asn1/CSetOf.h"
#include "Asn1/CTime.h"
#include "Asn1/CUniversalOctet.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace IASSCU;
using namespace testsupport;
using ZAZ::ByteVector;

namespace {

TEST(CDerOctet, DecodesAndReencodesUnchangedOrRefuses) {
    struct Row {
        const char* hex;
        unsigned int tagClass;
        bool constructed;
        unsigned int number;
        const char* content;
    };
    const Row rows[] = {
        {"30 03 02 01 05", 0, true, 16, "02 01 05"},
        {"9F 1F 01 00", 2, false, 31, "00"},
        {"BF 81 00 00", 2, true, 128, ""},
        {"04 81 05 01 02 03 04 05", 0, false, 4, "01 02 03 04 05"},
        {"04 82 00 01 AA", 0, false, 4, "AA"}, // non-minimal length kept
        {"5F 8F FF FF 7F 00", 1, false, 0x1FFFFFF, ""},
        {"5F 8F FF FF FF 7F 00", 1, false, 0xFFFFFFFF, ""},
        {"DF 0F 00", 3, false, 15, ""}, // low number in high form kept
        {"00 00", 0, false, 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        // Trailing bytes are not part of the element.
        ByteVector input(row.hex);
        input.append(ByteVector("FF FF"));
        const CDerOctet e(input);
        EXPECT_EQ(e.tagClass(), row.tagClass);
        EXPECT_EQ(e.isConstructed(), row.constructed);
        EXPECT_EQ(e.tagNumber(), row.number);
        EXPECT_EQ(hexOf(e.content()), row.content);
        EXPECT_EQ(hexOf(e.encoding()), row.hex);
        EXPECT_EQ(hexOf(CDerOctet(e).encoding()), row.hex);
    }
    // Malformed elements are refused.
    struct Bad {
        const char* hex;
        const char* message;
    };
    const Bad bad[] = {
        {"", "BER octet is empty."},
        {"04", "Unexpected end of BER octet encountered."},
        {"1F", "Unexpected end of BER octet encountered."},
        {"1F 81", "Unexpected end of BER octet encountered."},
        {"04 82 01", "Unexpected end of BER octet encountered."},
        {"04 05 01 02", "Inconsistent data length in BER octet."},
        {"24 80", "Unexpected instance of indefinite length in BER octet."},
        {"1F 90 80 80 80 00 00", "Tag overflow in BER octet."},
        {"04 84 7F FF FF FF", "Inconsistent data length in BER octet."},
        {"04 84 80 00 00 00", "Data overflow in BER octet."},
        {"04 85 01 00 00 00 00", "Data overflow in BER octet."},
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.hex);
        EXPECT_EQ(failureOf([&] { CDerOctet e{ByteVector(b.hex)}; }), b.message);
    }
}

TEST(CDerOctet, ChildOperationsRebuildOnlyWhatChanged) {
    CDerOctet e{ByteVector("04 81 05 01 02 03 04 05")};
    e.setContent(ByteVector("01 02 03 04 05"));
    EXPECT_EQ(hexOf(e.encoding()), "04 05 01 02 03 04 05");

    // A changed grandchild rebuilds the path to it; its siblings keep their bytes.
    CDerOctet tree{ByteVector("30 0A 04 81 01 AA 30 81 03 02 01 07")};
    CDerOctet& inner = *tree.children()[1];
    EXPECT_EQ(hexOf(tree.encoding()), "30 0A 04 81 01 AA 30 81 03 02 01 07");
    inner.children()[0]->setContent(ByteVector("00 80"));
    EXPECT_EQ(hexOf(tree.encoding()), "30 0A 04 81 01 AA 30 04 02 02 00 80");

    CDerOctet big(2, false, 200);
    big.setContent(ByteVector(std::string(2 * 130, 'A').c_str()));
    EXPECT_EQ(hexOf(big.encoding()).substr(0, 14), "9F 81 48 81 82");
    CDerOctet bad(4, false, 1);
    EXPECT_EQ(failureOf([&] { bad.encoding(); }), "Illegal tag class.");
    CDerOctet set(0, true, 17);
    set.insertSorted(CDerOctet(ByteVector("04 01 02")));
    set.insertSorted(CDerOctet(ByteVector("02 01 09")));
    set.insertSorted(CDerOctet(ByteVector("04 01 01")));
    set.insertSorted(CDerOctet(ByteVector("04 00")));
    EXPECT_EQ(hexOf(set.encoding()), "31 0B 02 01 09 04 00 04 01 01 04 01 02");

    CDerOctet byTag(0, true, 17);
    byTag.insertByTag(CDerOctet(ByteVector("81 01 01")));
    byTag.insertByTag(CDerOctet(ByteVector("04 01 02")));
    byTag.insertByTag(CDerOctet(ByteVector("80 01 03")));
    byTag.insertByTag(CDerOctet(ByteVector("04 01 04")));
    EXPECT_EQ(hexOf(byTag.encoding()), "31 0C 04 01 02 04 01 04 80 01 03 81 01 01");

    byTag.clearChildren();
    EXPECT_EQ(hexOf(byTag.encoding()), "31 00");
    const std::string inconsistent = "The operation is inconsistent for this type of BER octet.";
    CDerOctet primitive{ByteVector("04 00")};
    EXPECT_EQ(failureOf([&] { primitive.children(); }), inconsistent);
    EXPECT_EQ(failureOf([&] { primitive.addChild(set); }), inconsistent);
    EXPECT_EQ(failureOf([&] { set.setContent(ByteVector("00")); }), inconsistent);
    // Padding is not skipped here: 00 00 is an element with tag 0.
    EXPECT_EQ(CDerOctet(ByteVector("30 04 00 00 05 00")).children().size(), 2u);
    EXPECT_EQ(failureOf([] { CDerOctet(ByteVector("30 03 04 05 00")).children(); }),
              "Inconsistent data length in BER octet.");
}

TEST(CDerOctet, PathologicalNestingFailsCleanly) {
    // 20000 nested SEQUENCEs: expanding level after level must stop, not crash.
    const int levels = 20000;
    ByteVector bytes(5 * levels + 8);
    for (int i = 0; i < levels; ++i) {
        const int inner = 5 * (levels - i - 1);
        bytes.appendByte(0x30);
        bytes.appendByte(0x83);
        bytes.appendByte(static_cast<unsigned char>(inner >> 16));
        bytes.appendByte(static_cast<unsigned char>(inner >> 8));
        bytes.appendByte(static_cast<unsigned char>(inner));
    }
    CDerOctet root(bytes);
    const CDerOctet* e = &root;
    int depth = 0;
    const std::string message = failureOf([&] {
        while (true) {
            const auto& list = e->children();
            if (list.empty()) {
                break;
            }
            e = list.front();
            ++depth;
        }
    });
    EXPECT_EQ(message, kDecoding);
    EXPECT_EQ(depth, CDerOctet::kMaxDepth);
    EXPECT_EQ(root.encoding().size(), bytes.size());
}

TEST(CInteger, ValuesBothWays) {
    struct Row {
        const char* hex;
        std::int32_t value;
        const char* message;
    };
    const Row rows[] = {
        {"02 01 FF", -1, ""},
        {"02 01 00", 0, ""},
        {"02 01 7F", 127, ""},
        {"02 02 00 80", 128, ""},
        {"02 01 80", -128, ""},
        {"02 02 01 00", 256, ""},
        {"02 04 80 00 00 00", INT32_MIN, ""},
        {"02 04 7F FF FF FF", INT32_MAX, ""},
        {"02 02 FF 7F", -129, ""},
        {"0A 01 03", 3, ""},  // ENUMERATED is read as an INTEGER
        {"80 01 10", 16, ""}, // implicit tag
        {"02 05 01 00 00 00 00", 0, "Data overflow in BER octet."},
        {"02 00", 0, kDecoding},
        {"04 01 01", 0, kDecoding},
        {"22 03 02 01 01", 0, kDecoding},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        std::int32_t value = 0;
        const std::string message =
            failureOf([&] { value = CInteger(CDerOctet(ByteVector(row.hex))).value(); });
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(value, row.value);
        if (*row.message == '\0') { // minimal encoding, written with the universal tag
            EXPECT_EQ(hexOf(CInteger(row.value).encoding()), "02" + std::string(row.hex).substr(2));
        }
    }
    EXPECT_EQ(hexOf(CEnum(CDerOctet(ByteVector("02 01 03"))).encoding()), "0A 01 03");
    EXPECT_EQ(hexOf(CInteger(CDerOctet(ByteVector("80 01 10"))).encoding()), "02 01 10");
}

/// The view V of an element, re-encoded.
template <class V> ByteVector as(const CDerOctet& e) {
    return V(e).encoding();
}

TEST(CDerViews, ViewRuleAcceptsRetagsOrRefuses) {
    struct Row {
        ByteVector (*view)(const CDerOctet&);
        const char* hex;
        const char* encoded; // "" when the view refuses the element
    };
    const Row rows[] = {
        {as<CBoolean>, "01 01 FF", "01 01 FF"},
        {as<CBoolean>, "81 01 00", "81 01 00"}, // implicit tag kept
        {as<CBoolean>, "01 02 00 00", ""},
        {as<CBoolean>, "01 00", ""},
        {as<CBitString>, "83 02 07 80", "03 02 07 80"},
        {as<CBitString>, "03 00", ""},
        {as<CBitString>, "04 01 00", ""},
        {as<CObjectIdentifier>, "86 01 2A", "06 01 2A"},
        {as<CObjectIdentifier>, "26 00", ""},
        {as<COctetString>, "80 02 50 15", "80 02 50 15"},
        {as<COctetString>, "0C 01 41", ""},
        {as<COctetString>, "24 00", ""},
        {as<CTime>, "17 01 30", "17 01 30"},
        {as<CTime>, "18 00", "18 00"},
        {as<CTime>, "04 00", ""},
        {as<CGeneralizedTime>, "80 00", "18 00"},
        {as<CGeneralizedTime>, "17 00", ""},
        {as<CSequenceOf>, "A1 03 02 01 01", "30 03 02 01 01"},
        {as<CSequenceOf>, "31 00", ""},
        {as<CSetOf>, "A0 00", "31 00"},
        {as<CSetOf>, "30 00", ""},
        {as<CExplicitTag>, "A5 03 02 01 01", "A5 03 02 01 01"},
        {as<CExplicitTag>, "A5 00", ""},
        {as<CExplicitTag>, "A5 06 02 01 01 02 01 02", ""},
        {as<CExplicitTag>, "85 01 00", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        std::string encoded;
        const std::string message =
            failureOf([&] { encoded = hexOf(row.view(CDerOctet(ByteVector(row.hex)))); });
        EXPECT_EQ(encoded, row.encoded);
        EXPECT_EQ(message, *row.encoded ? "" : kDecoding);
    }
    EXPECT_TRUE(CBoolean(CDerOctet(ByteVector("01 01 01"))).value());
    EXPECT_FALSE(CBoolean(false).value());
    EXPECT_EQ(hexOf(CBoolean(true).encoding()), "01 01 FF");
    EXPECT_EQ(hexOf(CExplicitTag(2, 3, CInteger(1)).encoding()), "A3 03 02 01 01");
}

TEST(CBitString, NamedBitNumbering) {
    struct Row {
        const char* hex;
        std::uint32_t mask;
    };
    const Row rows[] = {
        {"03 01 00", 0},
        {"03 02 07 80", 0x1},
        {"03 02 06 40", 0x2},
        {"03 02 05 A0", 0x5},
        {"03 02 00 01", 0x80},
        {"03 03 07 00 80", 0x100},
        {"03 05 00 00 00 00 01", 0x80000000u},
        {"03 05 00 FF FF FF FF", 0xFFFFFFFFu},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        EXPECT_EQ(CBitString(CDerOctet(ByteVector(row.hex))).toMask(), row.mask);
        EXPECT_EQ(hexOf(CBitString(row.mask).encoding()), row.hex);
    }
    // A non-minimal string reads the same; bits past 31 do not reach the mask.
    const CBitString loose(CDerOctet(ByteVector("03 07 03 80 00 00 00 FF 00")));
    EXPECT_EQ(loose.toMask(), 0x1u);
    EXPECT_TRUE(loose.bit(32));
    EXPECT_FALSE(loose.bit(100));
    // Bits the count calls unused read as 0, whatever the card wrote there.
    const CBitString padded(CDerOctet(ByteVector("03 03 04 FF FF")));
    EXPECT_EQ(padded.toMask(), 0xFFFu);
    EXPECT_TRUE(padded.bit(11));
    EXPECT_FALSE(padded.bit(12));

    EXPECT_EQ(hexOf(CInteger().encoding()) + "/" + hexOf(CEnum().encoding()), "02 00/0A 00");
    CBitString bits;
    EXPECT_EQ(hexOf(bits.encoding()), "03 00");
    bits.setBit(9);
    EXPECT_EQ(hexOf(bits.encoding()), "03 03 06 00 40");
    bits.clearBit(9);
    EXPECT_EQ(hexOf(bits.encoding()), "03 01 00");
    bits.clearBit(40);
    EXPECT_EQ(hexOf(bits.encoding()), "03 01 00");
    EXPECT_EQ(failureOf([&] { bits.setBit(-1); }), kIllegal);
}

TEST(CObjectIdentifier, TextBothWays) {
    struct Row {
        const char* hex;
        const char* text;
    };
    const Row rows[] = {
        {"06 09 2A 86 48 86 F7 0D 01 01 01", "1 2 840 113549 1 1 1"},
        {"06 01 00", "0 0"},
        {"06 01 27", "0 39"},
        {"06 01 28", "1 0"}, // first-arc boundaries at 40 and 80
        {"06 01 4F", "1 39"},
        {"06 01 50", "2 0"},
        {"06 02 88 37", "2 999"},
        {"06 05 8F FF FF FF 7F", "2 4294967215"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        EXPECT_EQ(CObjectIdentifier(CDerOctet(ByteVector(row.hex))).toString(), row.text);
        EXPECT_EQ(hexOf(CObjectIdentifier(std::string(row.text)).encoding()), row.hex);
    }
    struct Bad {
        const char* hex;
        const char* message;
    };
    const Bad bad[] = {
        {"06 00", "BER octet is empty."},
        {"06 02 2A 86", "Unexpected end of BER octet encountered."},
        {"06 06 2A 90 80 80 80 00", "OID sub-identifier overflow in BER octet."},
    };
    for (const Bad& row : bad) {
        SCOPED_TRACE(row.hex);
        EXPECT_EQ(failureOf([&] { CObjectIdentifier(CDerOctet(ByteVector(row.hex))).toString(); }),
                  row.message);
    }
    const char* const badTexts[] = {"3 1", "1", "", "x 2", "-1 2"};
    for (const char* text : badTexts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(failureOf([&] { CObjectIdentifier oid{std::string(text)}; }),
                  "Illegal object identifier format.");
    }
    EXPECT_EQ(hexOf(CObjectIdentifier(std::string("1 2 x 5")).encoding()), "06 01 2A");
}

const char* const kInconsistent = "The operation is inconsistent for this type of BER octet.";

TEST(CTime, ConversionsBothWays) {
    struct Row {
        const char* hex;
        const char* text; // written back to hex when the row is minimal
        const char* message;
        bool minimal = false;
    };
    const Row rows[] = {
        {"17 0D 34 39 31 32 33 31 32 33 35 39 35 39 5A", "20491231235959", "", true},
        {"17 0D 35 30 30 31 30 31 30 30 30 30 30 30 5A", "19500101000000", "", true},
        {"17 0B 39 39 30 31 30 31 30 30 30 30 5A", "", "Inconsistent data length in BER octet."},
        {"17 0C 41 39 30 31 30 31 30 30 30 30 30 30", "", kDecoding},
        {"18 0F 32 30 35 30 30 31 30 31 31 32 30 30 30 30 5A", "20500101120000", "", true},
        {"18 13 32 30 32 34 30 32 32 39 31 32 30 30 30 30 2E 31 32 33 5A", "20240229120000", ""},
        {"18 0D 32 30 35 30 30 31 30 31 31 32 30 30 30", "",
         "Inconsistent data length in BER octet."},
        {"80 0F 32 30 35 30 30 31 30 31 31 32 30 30 30 30 5A", "", kInconsistent}, // implicit
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        std::string text;
        const std::string message =
            failureOf([&] { text = CTime(CDerOctet(ByteVector(row.hex))).toString(); });
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(text, row.text);
        if (row.minimal) {
            EXPECT_EQ(hexOf(CTime(std::string(row.text)).encoding()), row.hex);
        }
    }
    const char* const badTexts[] = {"19491231235959", "2049123123595", "204912312359590",
                                    "2O491231235959"};
    for (const char* text : badTexts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(failureOf([&] { CTime t{std::string(text)}; }), kIllegal);
    }
    // A GeneralizedTime stays one whatever the year.
    EXPECT_EQ(hexOf(CGeneralizedTime(std::string("20200101000000")).encoding()),
              "18 0F 32 30 32 30 30 31 30 31 30 30 30 30 30 30 5A");
    EXPECT_EQ(failureOf([] { CTime().toString(); }), kInconsistent);
    CTime implicit(CDerOctet(ByteVector("81 00")));
    implicit.fromString("20200101000000");
    EXPECT_EQ(hexOf(implicit.encoding()), "81 0D 32 30 30 31 30 31 30 30 30 30 30 30 5A");
    EXPECT_EQ(failureOf([&] { implicit.fromString("19491231235959"); }), kIllegal);
    EXPECT_EQ(CTime::currentTime().size(), 15u);
    EXPECT_EQ(CTime::currentTime(true).size(), 19u);
}

} // namespace
