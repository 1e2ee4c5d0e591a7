#include "Card/CCiaCard.h"
#include "TestSupport.h"

#include "Card/CCiaFileRecord.h"
#include "Fci/CFileControlParameters.h"

#include "ScriptedTerminal.h"

#include <gtest/gtest.h>

#include <sstream>
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

// One card object through a series of selections: what each sends, how it
// ends and whether the cache is valid after it.
TEST_F(CCiaCardTest, SelectionCacheAndMasterFileLearning) {
    const struct {
        const char* aid;
        const char* path;
        bool fcp;
        const char* failure; // "": none
        const char* wire;    // command=answer, separated by blanks
    } steps[] = {
        // The MF refuses P1 00 and takes P1 01, which is kept.
        {"", "5031", false, "",
         "00A4000C023F0000=6A86 00A4010C023F0000=9000 00A4020C02503100=9000"},
        {"", "5031", false, "", ""},
        {"", "5032", true, "", "00A4020402503200=620B82010183025032800201F49000"},
        {"", "5033", true, kDecoding, "00A4020402503300=019000"}, // sibling shortcut
        {"", "50155031", false, "", "00A4010C023F0000=9000 00A4090C045015503100=9000"},
        {"", "50155032", true, kDecoding, "00A4020402503200=019000"},
        {"A000", "3F0050155032", true, kDecoding,
         "00A4000C023F0000=9000 00A40804045015503200=019000"},
        {"", "3F002F00", false, "", "00A4000C023F0000=9000 00A4020C022F0000=9000"},
        {"A000", "5031", false, "", "00A4040C02A00000=9000 00A4020C02503100=9000"},
        {"A000", "5099", false, "IsoException", "00A4020C02509900=6A82"},
        // Not found by name: one more try after a warm reset.
        {"A000", "5031", false, "IsoException", "00A4040C02A00000=6A82 00A4040C02A00000=6A82"},
        {"A000", "5031", false, "",
         "00A4040C02A00000=6A86 00A4040C02A00000=9000 00A4020C02503100=9000"},
        {"", "", false, "", ""}, // a reset: the MF is current and described by the cache
        {"", "2F00", false, "", "00A4020C022F0000=9000"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.aid) + "/" + step.path);
        std::istringstream wire(step.wire);
        for (std::string exchange; wire >> exchange;) {
            const std::size_t eq = exchange.find('=');
            terminal.expect(exchange.substr(0, eq).c_str(), exchange.substr(eq + 1).c_str());
        }
        IAS::CFileControlParameters fcp;
        if (step.path[0] == 0) {
            card.reset();
            continue;
        }
        EXPECT_EQ(failureOf([&] {
                      card.selectFile(ByteVector(step.aid), ByteVector(step.path),
                                      step.fcp ? &fcp : nullptr);
                  }),
                  step.failure);
        EXPECT_TRUE(terminal.done());
        EXPECT_EQ(card.selectionValid(), step.failure[0] == 0);
        if (step.fcp && step.failure[0] == 0) {
            EXPECT_EQ(fcp.size(), 500u);
        }
    }
    EXPECT_EQ(card.mfSelectP1(), 0x01);
    EXPECT_EQ(terminal.resets, 3);
}

// 500 bytes at a maximum response of 231, one answer short: each READ asks
// for what is left from where the data ended.
TEST_F(CCiaCardTest, ReadsInChunksFromWhereTheDataEndedInTheRightForm) {
    card.setMaxResponseLength(231);
    terminal.expect("00B00000E7", (std::string(462, 'A') + "9000").c_str());
    terminal.expect("00B000E7E7", (std::string(200, '5') + "9000").c_str());
    terminal.expect("00B0014BA9", (std::string(338, 'C') + "9000").c_str());
    const ByteVector data = card.readBinary(0, 0, 500);
    EXPECT_EQ(data.size(), 500);
    EXPECT_EQ(data[231], 0x55);
    EXPECT_EQ(data[499], 0xCC);
    // the instruction and its parameters follow the file and the offset
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

// Another application resets the card: a read in progress fails rather than
// go on in whatever file is current now, a selection that met the reset is
// made again, and the cache is not trusted across one.
TEST_F(CCiaCardTest, ResetByAnotherApplicationIsNeverReadThrough) {
    const char* const kReset = "PCSCResetException. Error code = 0x80100068";
    card.setMaxResponseLength(2);
    terminal.expect("00A4040C02A00000", "9000");
    terminal.expect("00A4020C02503100", "9000");
    card.selectFile(ByteVector("A000"), ByteVector("5031"));
    terminal.expect("00B0000002", "01029000");
    terminal.expect("00B0000202", "!03049000");
    EXPECT_EQ(failureOf([&] { card.readBinary(0, 0, 4); }), kReset);
    EXPECT_FALSE(card.selectionValid());
    // Reset during the selection: once more from the application; twice fails.
    terminal.expect("00A4040C02A00000", "9000");
    terminal.expect("00A4020C02503100", "!9000");
    terminal.expect("00A4040C02A00000", "9000");
    terminal.expect("00A4020C02503100", "9000");
    card.selectFile(ByteVector("A000"), ByteVector("5031"));
    EXPECT_TRUE(card.selectionValid());
    terminal.expect("00A4020C02503200", "!9000"); // the sibling shortcut
    terminal.expect("00A4040C02A00000", "!9000");
    terminal.expect("00A4020C02503200", "9000");
    EXPECT_EQ(failureOf([&] { card.selectFile(ByteVector("A000"), ByteVector("5032")); }), kReset);
    // Refusals caused by a reset: the selection starts over, the read names the reset.
    terminal.expect("00A4040C02A00000", "9000");
    terminal.expect("00A4020C02503100", "!6A82");
    terminal.expect("00A4040C02A00000", "9000");
    terminal.expect("00A4020C02503100", "9000");
    card.selectFile(ByteVector("A000"), ByteVector("5031"));
    terminal.expect("00B0000002", "!6986");
    EXPECT_EQ(failureOf([&] { card.readBinary(0, 0, 2); }), kReset);
    // A reset met by another command: the cached selection is not trusted.
    terminal.expect("00A4040C02A00000", "9000");
    terminal.expect("00A4020C02503100", "9000");
    card.selectFile(ByteVector("A000"), ByteVector("5031"));
    terminal.resetsByOthers++;
    EXPECT_EQ(failureOf([&] { card.readBinary(0, 0, 2); }), kReset); // nothing sent
    terminal.expect("00A4040C02A00000", "9000");
    terminal.expect("00A4020C02503100", "9000");
    card.selectFile(ByteVector("A000"), ByteVector("5031"));
    // A reset no one was told of: the card has no current file.
    terminal.expect("00B0000002", "6986");
    EXPECT_EQ(IsoSw([&] { card.readBinary(0, 0, 2); }), 0x6986);
    EXPECT_FALSE(card.selectionValid());
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

TEST_F(CCiaCardTest, BadPathsAndReadArgumentsAreRefusedAndEndlessReadsStop) {
    for (const char* path : {"", "3F", "3F0050", "3F00"}) {
        EXPECT_EQ(failureOf([&] { card.selectFile(ByteVector(), ByteVector(path)); }), kIllegal)
            << path;
    }
    EXPECT_EQ(failureOf([&] { card.readBinary(31, 0, 1); }), kIllegal);
    EXPECT_EQ(failureOf([&] { card.readBinary(0, 0, 0); }), kIllegal);
    EXPECT_EQ(failureOf([&] { card.readBinary(0, -1, 1); }), kIllegal);
    EXPECT_EQ(terminal.sent, 0);
    terminal.expect("00 B0 00 00 04", "01029000");
    terminal.expect("00 B0 00 02 02", "9000"); // success without data: no progress
    EXPECT_EQ(failureOf([&] { card.readBinary(0, 0, 4); }), kUnknown);
    terminal.expect("00 B1 00 00 04 54 02 FF FF 02", "019000");
    // One byte, then the offset runs out.
    EXPECT_EQ(failureOf([&] { card.readBinary(0, 0xFFFF, 2); }), kUnknown);
}

TEST_F(CCiaCardTest, WholeFileReadUsesTheRecordCache) {
    IAS::CCiaFileRecord file;
    EXPECT_EQ(failureOf([&] { CCiaCard::readFile(file); }), kUnknown); // no card
    file.card = &card;
    file.path.setEfidOrPath(ByteVector("3F0050005031"));
    file.path.setIndex(2);
    file.path.setLength(3);
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 08 0C 04 5000 5031 00", "9000");
    terminal.expect("00 B0 00 02 03", "0A0B0C 9000");
    EXPECT_EQ(CCiaCard::readFile(file).toString(), "0A 0B 0C ");
    EXPECT_FALSE(file.busy);
    // A load reads the card each time: nothing marks the record loaded.
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 08 0C 04 5000 5031 00", "9000");
    terminal.expect("00 B0 00 02 03", "0A0B0D 9000");
    EXPECT_EQ(CCiaCard::readFile(file).toString(), "0A 0B 0D ");

    // Another part of the file: the card is read again, in a transaction of
    // its own that trusts no selection made before it.
    file.path.setIndex(0);
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 08 0C 04 5000 5031 00", "9000");
    terminal.expect("00 B0 00 00 03", "6B00");
    EXPECT_EQ(IsoSw([&] { CCiaCard::readFile(file); }), 0x6B00);
    EXPECT_TRUE(file.busy);
    EXPECT_EQ(terminal.sentOutside, 0);
    EXPECT_EQ(terminal.transactions, 0);

    // Inside the caller's transaction a selection made in it is trusted.
    card.beginTransaction();
    file.path.setIndex(1);
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 08 0C 04 5000 5031 00", "9000");
    terminal.expect("00 B0 00 01 03", "0B0C0D 9000");
    EXPECT_EQ(CCiaCard::readFile(file).toString(), "0B 0C 0D ");
    file.path.setIndex(0);
    terminal.expect("00 B0 00 00 03", "0A0B0C 9000");
    EXPECT_EQ(CCiaCard::readFile(file).toString(), "0A 0B 0C ");
    EXPECT_EQ(terminal.transactions, 1);
    card.endTransaction();
    EXPECT_TRUE(terminal.done());
}
