#include "Asn1/CBerTlv.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using IAS::CBerTlv;
using namespace testsupport;
using ZAZ::ByteVector;

namespace {

TEST(CBerTlv, ParsesOneElementOrRefusesIt) {
    struct Row {
        const char* hex;
        unsigned int tag;
        bool constructed;
        unsigned int tagClass;
        const char* value;
    };
    const Row rows[] = {
        {"6F 00", 0x6F, true, 1, ""},
        {"5F 2D 02 65 6E", 0x5F2D, false, 1, "65 6E"},
        {"9F 7F 01 00", 0x9F7F, false, 2, "00"},
        {"80 82 00 02 AA BB", 0x80, false, 2, "AA BB"},
        {"84 84 00 00 00 01 CC", 0x84, false, 2, "CC"},
        {"04 01 11 FF FF", 0x04, false, 0, "11"},
        {"DF 81 82 03 03 02 03 00", 0xDF818203, false, 3, "02 03 00"},
        {"BF 0C 00", 0xBF0C, true, 2, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        const CBerTlv e{ByteVector(row.hex)};
        EXPECT_EQ(e.tag(), row.tag);
        EXPECT_EQ(e.isConstructed(), row.constructed);
        EXPECT_EQ(e.tagClass(), row.tagClass);
        EXPECT_EQ(hexOf(e.value()), row.value);
    }
    // Malformed elements are refused.
    struct Bad {
        const char* hex;
        const char* message;
    };
    const Bad bad[] = {
        // Tag and length faults themselves: ParsesTagsAndLengthsAtAPosition.
        {"", kIllegal},
        {"5F", kDecoding}, // tag runs off the end
        {"5F 81", kDecoding},
        {"80", kDecoding},          // no byte left for the length
        {"80 05 01 02", kDecoding}, // value longer than the bytes
    };
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.hex);
        EXPECT_EQ(failureOf([&] { CBerTlv e{ByteVector(b.hex)}; }), b.message);
    }
}

// The length check must fire before a fourth byte can push a length past
// 0x7FFFFFFF; a tag may take four bytes and must leave a byte after it.
TEST(CBerTlv, ParsesTagsAndLengthsAtAPosition) {
    struct Row {
        bool tag;
        const char* hex;
        std::int32_t from;
        unsigned int value;
        std::int32_t to;
        const char* message;
    };
    const Row rows[] = {
        {true, "1E 00", 0, 0x1E, 1, ""},
        {true, "AA 1F 1E 00", 1, 0x1F1E, 3, ""},
        {true, "FF FF FF 7F 00", 0, 0xFFFFFF7F, 4, ""},
        {true, "FF FF FF FF 00 00", 0, 0, 0, kDecoding},
        {true, "5F 2D", 0, 0, 0, kDecoding}, // nothing after the tag
        {true, "5F", 1, 0, 0, kIllegal},
        {true, "5F", 2, 0, 0, kIllegal},
        {true, "5F", -1, 0, 0, kIllegal},
        {false, "7F", 0, 0x7F, 1, ""},
        {false, "00 81 80", 1, 0x80, 3, ""},
        {false, "84 7F FF FF FF", 0, 0x7FFFFFFF, 5, ""},
        {false, "85 00 7F FF FF FF", 0, 0x7FFFFFFF, 6, ""},
        {false, "84 80 00 00 00", 0, 0, 0, kDecoding},
        {false, "85 00 80 00 00 00", 0, 0, 0, kDecoding},
        {false, "85 01 00 00 00 00", 0, 0, 0, kDecoding}, // would wrap to 0
        {false, "80", 0, 0, 0, kDecoding},
        {false, "82 01", 0, 0, 0, kDecoding},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        const ByteVector bytes(row.hex);
        std::int32_t position = row.from;
        unsigned int value = 0;
        EXPECT_EQ(failureOf([&] {
                      value =
                          row.tag
                              ? CBerTlv::parseTag(bytes, position)
                              : static_cast<unsigned int>(CBerTlv::parseLength(bytes, position));
                  }),
                  row.message);
        EXPECT_EQ(value, row.value);
        EXPECT_EQ(position, *row.message ? row.from : row.to);
    }
}

TEST(CBerTlv, ScansListsAndLooksUpChildren) {
    struct Row {
        const char* hex;
        bool padding; // parseList (padding skipped) or children of a 30 wrapper
        const char* tags;
        const char* message;
    };
    const Row rows[] = {
        {"00 00 80 01 0A 00 81 01 0B 00", true, "80 81", ""},
        {"00 00 80 01 0A 00 00", false, "0 80 0", ""},
        // Unskipped, the 00 before 81 is a tag whose length field is 81 01.
        {"00 00 80 01 0A 00 81 01 0B 00", false, "", kDecoding},
        {"80 05 01 02", true, "80", ""}, // last value cut short
        {"", true, "", ""},
        {"80 01 0A 5F", true, "", kDecoding},
        {"80 01 0A 84 80", true, "", kDecoding},
        {"5F 2D 00 9F 1F 00 A5 03 80 01 00", false, "5f2d 9f1f a5", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        std::string tags;
        const std::string message = failureOf([&] {
            const ByteVector bytes(row.hex);
            std::vector<CBerTlv> list;
            if (row.padding) {
                list = CBerTlv::parseList(bytes);
            } else {
                list = CBerTlv(0x30, bytes).children();
            }
            for (const CBerTlv& e : list) {
                char buf[16];
                std::snprintf(buf, sizeof buf, tags.empty() ? "%x" : " %x", e.tag());
                tags += buf;
            }
        });
        EXPECT_EQ(message, row.message);
        EXPECT_EQ(tags, row.tags);
    }
    const auto values = CBerTlv::parseList(ByteVector("80 05 01 02"));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(hexOf(values[0].value()), "01 02");
    const auto filtered = CBerTlv::parseList(ByteVector("00 80 01 0A 81 01 0B 80 00"), 0x80);
    ASSERT_EQ(filtered.size(), 2u);
    EXPECT_EQ(hexOf(filtered[0].value()), "0A");
    EXPECT_EQ(hexOf(filtered[1].value()), "");
    // a child tag must be unique
    const CBerTlv twice{ByteVector("62 08 83 02 3F 00 83 02 2F 00")};
    EXPECT_EQ(failureOf([&] { twice.child(0x83); }), kDecoding);
    EXPECT_TRUE(twice.child(0x84).isNull());
    const CBerTlv once{ByteVector("62 07 82 01 38 83 02 3F 00")};
    EXPECT_EQ(hexOf(once.child(0x83).value()), "3F 00");
    EXPECT_EQ(once.children(0x82).size(), 1u);
}

TEST(CBerTlv, EncodesTagsLengthsAndIntegers) {
    struct Row {
        unsigned int tag;
        int length;
        const char* header;
    };
    const Row rows[] = {
        {0x62, 0, "62 00"},
        {0x62, 127, "62 7F"},
        {0x62, 128, "62 81 80"},
        {0x62, 256, "62 82 01 00"},
        {0x5F2D, 65536, "5F 2D 83 01 00 00"},
        {0x00, 1, "00 01"},
        {0xDF818203, 2, "DF 81 82 03 02"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.header);
        const ByteVector encoded = CBerTlv(row.tag, row.length).encode();
        const std::string hex = hexOf(encoded);
        EXPECT_EQ(hex.substr(0, std::string(row.header).size()), row.header);
        EXPECT_EQ(encoded.size() - row.length, ByteVector(row.header).size());
        // Whatever is encoded parses back to the same element.
        const CBerTlv back(encoded);
        EXPECT_EQ(back.tag(), row.tag);
        EXPECT_EQ(back.value().size(), row.length);
    }
    EXPECT_EQ(CBerTlv().encode().size(), 0);
    EXPECT_EQ(failureOf([] { CBerTlv(0x80, -1); }), kIllegal);
    CBerTlv e(0x80, 0);
    EXPECT_EQ(hexOf(e.setUInt32(0).value()), "00");
    EXPECT_EQ(hexOf(e.setUInt32(0x10000).value()), "01 00 00");
    EXPECT_EQ(hexOf(e.setUInt32(0xFF000000u).value()), "FF 00 00 00");
    EXPECT_EQ(e.toUInt32(), 0xFF000000u);
    EXPECT_EQ(hexOf(e.setUInt16(0x0102).value()), "01 02");
    EXPECT_EQ(e.toUInt16(), 0x0102);
    EXPECT_EQ(failureOf([&] { e.toUInt8(); }), kDecoding);
    e.setUInt8(0x7F);
    EXPECT_EQ(e.toUInt8(), 0x7F);
    EXPECT_EQ(failureOf([&] { e.toUInt16(); }), kDecoding);
    e.setValue(ByteVector(""));
    EXPECT_EQ(failureOf([&] { e.toUInt32(); }), kDecoding);
    e.setValue(ByteVector("01 02 03 04 05"));
    EXPECT_EQ(failureOf([&] { e.toUInt32(); }), kDecoding);
}

TEST(CBerTlv, AssemblesAndRefusesTheWrongKind) {
    const CBerTlv null;
    CBerTlv primitive(0x80, 1);
    CBerTlv constructed(0x62, 0);
    EXPECT_EQ(failureOf([&] { null.tag(); }), kUnknown);
    EXPECT_EQ(failureOf([&] { null.value(); }), kUnknown);
    EXPECT_EQ(failureOf([&] { primitive.children(); }), kUnknown);
    EXPECT_EQ(failureOf([&] { primitive += CBerTlv(0x80, 0); }), kUnknown);
    EXPECT_EQ(failureOf([&] { constructed.toUInt8(); }), kUnknown);
    EXPECT_EQ(failureOf([&] { constructed.setUInt8(1); }), kUnknown);
    CBerTlv fcp(0x62, 0);
    fcp += CBerTlv(0x82, ByteVector("38"));
    fcp += CBerTlv(0x83, ByteVector("3F 00"));
    fcp += ByteVector("8A 01 05");
    EXPECT_EQ(hexOf(fcp.encode()), "62 0A 82 01 38 83 02 3F 00 8A 01 05");
    CBerTlv copy(fcp);
    fcp.clear();
    EXPECT_EQ(hexOf(fcp.encode()), "62 00");
    EXPECT_EQ(copy.children().size(), 3u);
}

} // namespace
