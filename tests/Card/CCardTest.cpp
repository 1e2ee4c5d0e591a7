#include "Card/CCard.h"
#include "TestSupport.h"

#include "ScriptedTerminal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

using IAS::CCard;
using IAS::CCardCommand;
using IAS::CCardResponse;

namespace {
std::string repeat(const char* hexByte, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += hexByte;
    }
    return out;
}

} // namespace

TEST(CCardTest, ChainsLongDataIn255BytePieces) {
    ScriptedTerminal terminal;
    CCard card(&terminal);
    const std::string a = repeat("AA", 255), b = repeat("BB", 255), c = repeat("CC", 90);
    // Chained pieces carry CLA | 0x10 and no Le; only the last one carries Le.
    terminal.expect(("10 DA 01 02 FF" + a).c_str(), "9000");
    terminal.expect(("10 DA 01 02 FF" + b).c_str(), "6101"); // 61xx mid-chain is accepted
    terminal.expect(("00 DA 01 02 5A" + c + "20").c_str(), "01029000");
    const CCardResponse r =
        card.transmit(CCardCommand(0x10, 0xDA, 0x01, 0x02, ZAZ::ByteVector(a + b + c)), 0x20);
    EXPECT_EQ(r.sw, 0x9000);
    EXPECT_EQ(r.data.toString(), "01 02 ");
    EXPECT_TRUE(terminal.done());
}

TEST(CCardTest, CollectsGetResponseChunksOnTheLogicalChannel) {
    struct {
        const char* name;
        std::uint8_t cla;
        const char* first;           // expected first command
        const char* getResponses[2]; // expected GET RESPONSE commands
    } rows[] = {
        {"basic channel", 0x00, "00 A4 04 00 02 A000 00", {"00 C0 00 00 10", "00 C0 00 00 00"}},
        {"channel 2", 0x02, "02 A4 04 00 02 A000 00", {"02 C0 00 00 10", "02 C0 00 00 00"}},
        {"proprietary class", 0x8F, "8F A4 04 00 02 A000 00", {"03 C0 00 00 10", "03 C0 00 00 00"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedTerminal terminal;
        CCard card(&terminal);
        terminal.expect(row.first, "6110");
        terminal.expect(row.getResponses[0], (repeat("11", 16) + "6100").c_str());
        terminal.expect(row.getResponses[1], "22339000");
        const CCardResponse r = card.transmitExpectingData(
            CCardCommand(row.cla, 0xA4, 0x04, 0x00, ZAZ::ByteVector("A000")));
        EXPECT_EQ(r.sw, 0x9000);
        EXPECT_EQ(r.data.size(), 18);
        EXPECT_EQ(r.data.substr(16, 2).toString(), "22 33 ");
        EXPECT_TRUE(terminal.done());
    }
}

TEST(CCardTest, ErrorWordsStopTheExchange) {
    struct {
        const char* name;
        const char* responses[2];
        unsigned short sw;
    } rows[] = {
        {"file not found", {"6A82", nullptr}, 0x6A82},
        {"wrong Le is not retried", {"6C10", nullptr}, 0x6C10},
        {"warning word", {"6282", nullptr}, 0x6282},
        {"error on GET RESPONSE", {"6104", "6A86"}, 0x6A86},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedTerminal terminal;
        CCard card(&terminal);
        terminal.expect("00 B0 00 00 00", row.responses[0]);
        if (row.responses[1] != nullptr) {
            terminal.expect("00 C0 00 00 04", row.responses[1]);
        }
        EXPECT_EQ(IsoSw([&] { card.transmit(CCardCommand(0, 0xB0, 0, 0), 0); }), row.sw);
        EXPECT_TRUE(terminal.done()); // nothing sent after the error
    }
}

// A card that answers 61xx for ever gets its word back after 256 rounds.
TEST(CCardTest, EndlessGetResponseIsCutOff) {
    ScriptedTerminal terminal;
    CCard card(&terminal);
    terminal.expect("00 B0 00 00 00", "6101");
    for (int i = 0; i < 256; ++i) {
        terminal.expect("00 C0 00 00 01", "AA 6101");
    }
    EXPECT_EQ(IsoSw([&] { card.transmit(CCardCommand(0, 0xB0, 0, 0), 0); }), 0x6101);
    EXPECT_TRUE(terminal.done());
}

TEST(CCardTest, ErrorOnAChainedPieceStopsTheChain) {
    ScriptedTerminal terminal;
    CCard card(&terminal);
    const std::string data = repeat("00", 300);
    terminal.expect(("10 DA 00 00 FF" + repeat("00", 255)).c_str(), "6700");
    EXPECT_EQ(IsoSw([&] { card.transmit(CCardCommand(0, 0xDA, 0, 0, ZAZ::ByteVector(data))); }),
              0x6700);
    EXPECT_TRUE(terminal.done());
}

TEST(CCardTest, PinCommandsSendTheDataUnchanged) {
    ScriptedTerminal terminal;
    CCard card(&terminal);
    terminal.expect("00 20 00 81 04 31323334", "9000");
    terminal.expect("00 24 01 82 06 313233343536", "9000");
    terminal.expect("00 2C 02 81 04 39393939", "63C1");
    card.verify(0x81, ZAZ::ByteVector("31323334"));
    card.changeReferenceData(0x01, 0x82, ZAZ::ByteVector("313233343536"));
    EXPECT_EQ(IsoSw([&] { card.resetRetryCounter(0x02, 0x81, ZAZ::ByteVector("39393939")); }),
              0x63C1);
    EXPECT_TRUE(terminal.done());
}

TEST(CCardTest, ConfigurationAndMissingTerminal) {
    CCard card;
    EXPECT_EQ(failureOf([&] { card.setMaxResponseLength(0); }),
              "Illegal parameter in function call.");
    EXPECT_EQ(failureOf([&] { card.setMaxResponseLength(257); }),
              "Illegal parameter in function call.");
    card.setMaxResponseLength(1);
    card.setMaxResponseLength(256);
    EXPECT_EQ(card.maxResponseLength(), 256);
    EXPECT_EQ(failureOf([&] { card.reset(); }), "An unknown error occurred.");
    EXPECT_EQ(failureOf([&] { card.transmit(CCardCommand(0, 0xB0, 0, 0)); }),
              "An unknown error occurred.");

    ScriptedTerminal terminal;
    CCard other(&terminal);
    other.setMaxResponseLength(231);
    card = other;
    EXPECT_EQ(card.terminal(), &terminal);
    EXPECT_EQ(card.maxResponseLength(), 231);
    card.reset();
    EXPECT_EQ(terminal.resets, 1);
}
