#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using ZAZ::ByteVector;

namespace {
ByteVector hex(const char* text) {
    return ByteVector(text);
}
} // namespace

TEST(ByteVectorTest, ParsesHexText) {
    struct {
        const char* text;
        const char* expected; // canonical form
    } rows[] = {
        {"", ""},
        {"3F00", "3F 00 "},
        {" 3f 00 ", "3F 00 "},
        {"a", ""},             // odd final digit dropped
        {"ABC", "AB "},        // odd final digit dropped
        {"0 1 0 2", "01 02 "}, // blanks between the digits of a pair are ignored
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(hex(row.text).toString(), row.expected);
    }
    EXPECT_EQ(testsupport::failureOf([] { hex("3G"); }), testsupport::kIllegal);
}

TEST(ByteVectorTest, GrowsInStepsOfTheInitialCapacity) {
    ByteVector v;
    EXPECT_EQ(v.capacity(), 1024);
    // Storage is taken only for what is stored, never past the capacity.
    EXPECT_EQ(v.allocated(), 0);
    EXPECT_NE(v.data(), nullptr);
    const unsigned char chunk[1000] = {1, 2, 3};
    v.append(chunk, 3);
    EXPECT_EQ(v.allocated(), 64);
    EXPECT_EQ(ByteVector(v).allocated(), 3);
    v.append(chunk, 1000 - 3);
    EXPECT_EQ(v.capacity(), 1024);
    EXPECT_EQ(v.allocated(), 1000);
    EXPECT_EQ(v.substr(0, 3), ByteVector("01 02 03"));
    v.append(chunk, 100); // 76 bytes missing: one step
    EXPECT_EQ(v.capacity(), 2048);
    EXPECT_EQ(v.size(), 1100);

    ByteVector small(16);
    small.append(chunk, 100); // 84 missing > step 16: grows by step + missing
    EXPECT_EQ(small.capacity(), 16 + 16 + 84);
    EXPECT_EQ(small.size(), 100);
}

TEST(ByteVectorTest, SubstrNeverThrowsAtExtends) {
    const ByteVector v = hex("010203");
    struct {
        int offset, count;
        const char* expected;
    } rows[] = {
        {0, 3, "01 02 03 "}, {1, 10, "02 03 "}, {5, 10, ""}, {3, 1, ""},
        {-1, 2, ""},         {0, 0, ""},        {2, -1, ""}, {0, 0x7FFFFFFF, "01 02 03 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.offset << "," << row.count);
        const ByteVector s = v.substr(row.offset, row.count);
        EXPECT_EQ(s.toString(), row.expected);
        EXPECT_EQ(s.capacity(), 1024);
    }
    ByteVector w; // at() extends with zeros, [] refuses
    w.at(10) = 0x55;
    EXPECT_EQ(w.toString(), "00 00 00 00 00 00 00 00 00 00 55 ");
    EXPECT_EQ(testsupport::failureOf([&] { w[11]; }), testsupport::kIllegal);
    EXPECT_EQ(testsupport::failureOf([&] { w[-1]; }), testsupport::kIllegal);
}

TEST(ByteVectorTest, EditingOperations) {
    ByteVector v = hex("0102030405");
    v.erase(1, 2);
    EXPECT_EQ(v.toString(), "01 04 05 ");
    v.erase(-5, 0); // clamped to the content
    EXPECT_EQ(v.toString(), "04 05 ");
    v.erase(1, 100);
    EXPECT_EQ(v.toString(), "04 ");
    v.insert(0, hex("AABB"));
    v.insert(3, hex("CC"));
    v.insert(9, hex("DD")); // past the end: nothing
    EXPECT_EQ(v.toString(), "AA BB 04 CC ");
    v.reverse();
    EXPECT_EQ(v.toString(), "CC 04 BB AA ");
    v.resize(6, 0xEE);
    EXPECT_EQ(v.toString(), "CC 04 BB AA EE EE ");
    v.resize(1);
    EXPECT_EQ(v.toString(), "CC ");
    v.appendU16(0x1234);
    v.appendU32(0xA1B2C3D4);
    EXPECT_EQ(v.toString(), "CC 12 34 A1 B2 C3 D4 ");
    v.clear();
    EXPECT_TRUE(v.empty());
    EXPECT_EQ(v.capacity(), 1024);

    ByteVector small(4);
    small.append(hex("01020304"));
    small.append(small); // source lives in the storage that must move
    EXPECT_EQ(small.toString(), "01 02 03 04 01 02 03 04 ");
    small.assign(small.data() + 4, 2);
    EXPECT_EQ(small.toString(), "01 02 ");
}

TEST(ByteVectorTest, OrderingAndViews) {
    EXPECT_TRUE(hex("FFFF") < hex("000000"));
    EXPECT_FALSE(hex("000000") < hex("FFFF"));
    EXPECT_TRUE(hex("0180") < hex("01FF")); // unsigned comparison
    EXPECT_FALSE(hex("01FF") < hex("01FF"));
    EXPECT_NE(hex("01"), hex("0100"));
    const ByteVector v = hex("010203"); // views from an offset
    EXPECT_EQ(ZAZ::ByteVectorBase(v, 1).size(), 2);
    EXPECT_EQ(*ZAZ::ByteVectorBase(v, 2).data(), 0x03);
    EXPECT_TRUE(ZAZ::ByteVectorBase(v, 3).empty());
    EXPECT_TRUE(ZAZ::ByteVectorBase(v, -1).empty());
}
