// The selection cache, learning the SELECT of the MF and chunked READ BINARY
// are checked against the virtual card in tests/integration/card/FileIT.cpp;
// these are the cases it does not play.
#include "Card/CCiaCard.h"
#include "TestSupport.h"

#include "Card/CCiaFileRecord.h"
#include "Cia/Fci/CFileControlParameters.h"

#include "ScriptedTerminal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

using IAS::CCiaCard;
using ZAZ::ByteVector;

class CCiaCardTest : public testing::Test {
protected:
    CCiaCardTest() : card(&terminal) {}
    void TearDown() override { EXPECT_TRUE(terminal.done()) << "script not finished"; }

    ScriptedTerminal terminal;
    CCiaCard card;
};

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
        EXPECT_EQ(failureOf([&] { card.selectFile(ByteVector(), ByteVector(path)); }),
                  "Illegal parameter in function call.");
    }
    EXPECT_EQ(terminal.sent, 0);
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
    EXPECT_EQ(failureOf([&] { card.readBinary(0, 0xFFFF, 2); }), "An unknown error occurred.");
}

TEST_F(CCiaCardTest, DecodesTheFcpWhenAsked) {
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 04 02 5031 00", "620B 820101 83025031 800201F4 9000");
    IAS::CFileControlParameters fcp;
    card.selectFile(ByteVector(), ByteVector("5031"), &fcp);
    EXPECT_EQ(fcp.fileIdentifier().toString(), "50 31 ");
    EXPECT_EQ(fcp.size(), 500u);
}

TEST_F(CCiaCardTest, WholeFileReadUsesTheRecordCache) {
    IAS::CCiaFileRecord file;
    EXPECT_THROW(CCiaCard::readFile(file), ZAZ::CardFrameworkException); // no card
    file.card = &card;
    file.path.setEfidOrPath(ByteVector("3F0050005031"));
    file.path.setIndex(2);
    file.path.setLength(3);
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 08 0C 04 5000 5031 00", "9000");
    terminal.expect("00 B0 00 02 03", "0A0B0C 9000");
    EXPECT_EQ(CCiaCard::readFile(file).toString(), "0A 0B 0C ");
    EXPECT_FALSE(file.busy);
    file.loaded = true;
    EXPECT_EQ(CCiaCard::readFile(file).toString(), "0A 0B 0C "); // nothing sent

    file.path.setIndex(0); // another part of the file: the card is read again
    terminal.expect("00 B0 00 00 03", "6B00");
    EXPECT_THROW(CCiaCard::readFile(file), ZAZ::IsoException);
    EXPECT_TRUE(file.busy);
}
