#include "Recognition/CEfAtr.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using testsupport::realCard;
using ZAZ::ByteVector;

TEST(CEfAtrTest, FindsTheDataObjectsAfterACategoryIndicator) {
    // A French CPx card's EF.ATR/INFO opens with 80: read as a tag, its length
    // (43) would swallow the file and hide the IAS-ECC identifier (78).
    IAS::CEfAtr atr;
    atr.load(realCard("fr-cpx-issue2223/ef-atr-2f01.hex"));
    EXPECT_EQ(atr.get(0x78), ByteVector("06 06 2B 81 22 F8 78 02"));
    EXPECT_EQ(atr.get(0x4F), ByteVector("80 25 00 00 01 FF 01 00"));
    EXPECT_EQ(atr.get(0x46), ByteVector("04 B0 EC C1"));

    // An element tagged 80 that fits the file is an element like any other.
    atr.load(ByteVector("80 01 AA 78 01 05"));
    EXPECT_EQ(atr.get(0x80), ByteVector("AA"));
    EXPECT_EQ(atr.get(0x78), ByteVector("05"));
}
