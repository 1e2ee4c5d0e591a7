#include "Zaz/PackedStringList.h"
#include "TestSupport.h"
#include "Zaz/CardFrameworkException.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

using ZAZ::ByteVector;
using ZAZ::PackedStringList;

TEST(PackedStringListTest, KeepsEntriesBehindLengthBytesAndRefusesBadOnes) {
    PackedStringList list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.toMultiString(), std::string("\0", 1));

    list.append("Virtual PCD 00 00");
    list.append("");
    list.append("B");
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.get(0), "Virtual PCD 00 00");
    EXPECT_EQ(list.get(1), "");
    EXPECT_EQ(list.get(2), "B");
    EXPECT_EQ(list.bytes().toString().substr(0, 6), "11 56 "); // 17, 'V'
    EXPECT_EQ(list.toMultiString(), std::string("Virtual PCD 00 00\0\0B\0\0", 22));

    EXPECT_TRUE(list.contains("B"));
    EXPECT_TRUE(list.contains(""));
    EXPECT_FALSE(list.contains("Virtual PCD 00"));    // prefix only
    EXPECT_FALSE(list.contains("virtual pcd 00 00")); // case matters

    list.clear();
    EXPECT_EQ(list.count(), 0);
    // A long string is written whole behind its low length byte.
    list.append(std::string(300, 'x')); // 300 & 0xFF = 44
    EXPECT_EQ(list.bytes().size(), 301);
    EXPECT_EQ(list.get(0), std::string(44, 'x'));
    list.clear();
    list.append("A");
    for (int bad : {-1, 1, 2}) {
        EXPECT_EQ(failureOf([&] { list.get(bad); }), "Index out of bound.") << bad;
    }
    // The second entry announces 5 bytes but only 2 follow.
    const PackedStringList truncated(ByteVector("01 41 05 42 43"));
    ASSERT_EQ(truncated.count(), 2);
    EXPECT_EQ(truncated.get(0), "A");
    EXPECT_EQ(failureOf([&] { truncated.get(1); }), "Invalid string.");
    EXPECT_EQ(failureOf([&] { truncated.toMultiString(); }), "Invalid string.");
}
