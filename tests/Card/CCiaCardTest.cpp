#include "Card/CCiaCard.h"
#include "Caught.h"

#include "ScriptedTerminal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"

#include <gtest/gtest.h>

#include <string>

using IAS::CCiaCard;
using ZAZ::ByteVector;

namespace {
std::string filler(int n) {
    return std::string(static_cast<std::size_t>(n) * 2, 'A');
}
} // namespace

class CCiaCardTest : public testing::Test {
protected:
    CCiaCardTest() : card(&terminal) {}
    void TearDown() override { EXPECT_TRUE(terminal.done()) << "script not finished"; }

    ScriptedTerminal terminal;
    CCiaCard card;
};

TEST_F(CCiaCardTest, SameFileTwiceSelectsOnce) {
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 09 0C 04 5000 5031 00", "9000");
    card.selectFile(ByteVector(), ByteVector("50005031"));
    card.selectFile(ByteVector(), ByteVector("50005031"));
    EXPECT_EQ(card.mfSelectP1(), 0x00);
    EXPECT_EQ(card.selectedParentPath().toString(), "50 00 ");
}

TEST_F(CCiaCardTest, SiblingCostsOneShortSelect) {
    const ByteVector aid("E828BD080F");
    terminal.expect("00 A4 04 0C 05 E828BD080F 00", "9000");
    terminal.expect("00 A4 02 0C 02 5031 00", "9000");
    terminal.expect("00 A4 02 0C 02 5032 00", "9000");
    terminal.expect("00 A4 02 04 02 5032 00", "6203 8202 0101 9000"); // FCP wanted: sent again
    card.selectFile(aid, ByteVector("5031"));
    card.selectFile(aid, ByteVector("5032"));
    ByteVector fcp;
    card.selectFileRaw(aid, ByteVector("5032"), &fcp);
    EXPECT_EQ(fcp.toString(), "62 03 82 02 01 01 ");
    EXPECT_EQ(card.selectedAid(), aid);
}

TEST_F(CCiaCardTest, AbsolutePathsIgnoreTheAid) {
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 0C 02 2F00 00", "9000");
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 08 0C 04 5000 5031 00", "9000");
    card.selectFile(ByteVector("A000"), ByteVector("3F002F00"));
    EXPECT_TRUE(card.selectedAid().empty());
    card.selectFile(ByteVector("A000"), ByteVector("3F0050005031"));
}

TEST_F(CCiaCardTest, MalformedPathsAreRefusedWithoutSending) {
    for (const char* path : {"", "3F", "3F0050", "3F00"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(MessageOf([&] { card.selectFile(ByteVector(), ByteVector(path)); }),
                  "Illegal parameter in function call.");
    }
    EXPECT_EQ(terminal.sent, 0);
}

TEST_F(CCiaCardTest, LearnsHowTheMasterFileIsSelected) {
    terminal.expect("00 A4 00 0C 02 3F00 00", "6A86");
    terminal.expect("00 A4 01 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 0C 02 2F00 00", "9000");
    card.selectFile(ByteVector(), ByteVector("2F00"));
    EXPECT_EQ(card.mfSelectP1(), 0x01);
    card.invalidateSelection();
    terminal.expect("00 A4 01 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 0C 02 2F01 00", "9000");
    card.selectFile(ByteVector(), ByteVector("2F01"));
}

TEST_F(CCiaCardTest, MasterFileByResetWhenNoSelectWorks) {
    terminal.expect("00 A4 00 0C 02 3F00 00", "6D00");
    terminal.expect("00 A4 02 0C 02 2F00 00", "9000");
    card.selectFile(ByteVector(), ByteVector("2F00"));
    EXPECT_EQ(card.mfSelectP1(), 0xFE);
    EXPECT_EQ(terminal.resets, 1);
    card.invalidateSelection();
    terminal.expect("00 A4 02 0C 02 2F00 00", "9000");
    card.selectFile(ByteVector(), ByteVector("2F00"));
    EXPECT_EQ(terminal.resets, 2);
}

TEST_F(CCiaCardTest, FailedSelectionInvalidatesTheCache) {
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 0C 02 5031 00", "9000");
    terminal.expect("00 A4 02 0C 02 5099 00", "6A82");
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 0C 02 5031 00", "9000");
    card.selectFile(ByteVector(), ByteVector("5031"));
    EXPECT_THROW(card.selectFile(ByteVector(), ByteVector("5099")), ZAZ::IsoException);
    EXPECT_FALSE(card.selectionValid());
    card.selectFile(ByteVector(), ByteVector("5031"));
}

TEST_F(CCiaCardTest, ApplicationSelectRetriesOnceAfterReset) {
    terminal.expect("00 A4 04 0C 02 A000 00", "6A82");
    terminal.expect("00 A4 04 0C 02 A000 00", "9000");
    terminal.expect("00 A4 02 0C 02 5031 00", "9000");
    card.selectFile(ByteVector("A000"), ByteVector("5031"));
    EXPECT_EQ(terminal.resets, 1);
    card.invalidateSelection();
    terminal.expect("00 A4 04 0C 02 A000 00", "6A82");
    terminal.expect("00 A4 04 0C 02 A000 00", "6A82");
    EXPECT_THROW(card.selectFile(ByteVector("A000"), ByteVector("5031")), ZAZ::IsoException);
}

TEST_F(CCiaCardTest, ResetMakesTheMasterFileCurrent) {
    card.reset();
    EXPECT_TRUE(card.selectionValid());
    terminal.expect("00 A4 02 0C 02 2F00 00", "9000"); // one short SELECT, no 3F00
    card.selectFile(ByteVector(), ByteVector("2F00"));
}

TEST_F(CCiaCardTest, ReadsInChunksOfTheMaximumResponseLength) {
    card.setMaxResponseLength(231);
    terminal.expect("00 B0 00 00 E7", (filler(231) + "9000").c_str());
    terminal.expect("00 B0 00 E7 E7", (filler(231) + "9000").c_str());
    terminal.expect("00 B0 01 CE 26", (filler(38) + "9000").c_str());
    EXPECT_EQ(card.readBinary(0, 0, 500).size(), 500);
}

TEST_F(CCiaCardTest, ReadInstructionForms) {
    struct {
        std::uint16_t fileId;
        std::int32_t offset;
        const char* command;
    } rows[] = {
        {0, 0x7FFF, "00 B0 7F FF 02"},
        {0, 0x8000, "00 B1 00 00 04 54 02 80 00 02"},
        {5, 0xFF, "00 B0 85 FF 02"},
        {5, 0x100, "00 B1 00 05 04 54 02 01 00 02"},
        {0x2F00, 0, "00 B1 2F 00 04 54 02 00 00 02"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        terminal.expect(row.command, "01029000");
        EXPECT_EQ(card.readBinary(row.fileId, row.offset, 2).toString(), "01 02 ");
    }
}

TEST_F(CCiaCardTest, ReadRefusesBadArgumentsAndEndlessReads) {
    EXPECT_THROW(card.readBinary(31, 0, 1), ZAZ::CardFrameworkException);
    EXPECT_THROW(card.readBinary(0, 0, 0), ZAZ::CardFrameworkException);
    EXPECT_THROW(card.readBinary(0, -1, 1), ZAZ::CardFrameworkException);
    EXPECT_EQ(terminal.sent, 0);
    terminal.expect("00 B0 00 00 04", "01029000");
    terminal.expect("00 B0 00 02 02", "9000"); // success without data: no progress
    EXPECT_THROW(card.readBinary(0, 0, 4), ZAZ::CardFrameworkException);
    terminal.expect("00 B1 00 00 04 54 02 FF FF 02", "019000");
    // One byte, then the offset runs out.
    EXPECT_EQ(MessageOf([&] { card.readBinary(0, 0xFFFF, 2); }), "An unknown error occurred.");
}
