#include "Card/CZazTerminal.h"
#include "Caught.h"

#include "MockWrapper.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/PCSCException.h"
#include "Zaz/PCSCResetException.h"

#include <gtest/gtest.h>

#include <string>

using IAS::CZazTerminal;
using testing::_;
using testing::Invoke;
using testing::Return;
using testing::Throw;
using ZAZ::ByteVector;

namespace {
constexpr std::uint32_t kT0 = 1, kT1 = 2;

// Status answers: reader "R", the given protocol, an ATR, powered card.
auto statusWith(std::uint32_t protocol, const char* atr = "3B8001") {
    return [=](ZAZ::ReaderStatus& s) {
        s.readerName = "R";
        s.state = SCARD_PRESENT | SCARD_POWERED | SCARD_NEGOTIABLE;
        s.protocol = protocol;
        s.atr = ByteVector(atr);
        return 0ul;
    };
}

// Records the command bytes and answers with `response`.
auto answer(std::string* sent, const char* response) {
    return [=](const ByteVector& command, ByteVector& out, std::int32_t) {
        *sent = command.toString();
        out = ByteVector(response);
        return 0ul;
    };
}

ZAZ::PCSCException pcscError(unsigned long code) {
    return ZAZ::PCSCException(1, code, "PCSCException");
}
} // namespace

TEST(CZazTerminalTest, EncodesShortApdusPerProtocol) {
    struct {
        std::uint32_t protocol;
        const char* data;
        std::uint32_t le;
        const char* wire;
    } rows[] = {
        {kT0, "", 0, "00 B0 00 00 00 "},                 // case 1: T=0 needs P3
        {kT1, "", 0, "00 B0 00 00 "},                    // case 1 on T=1: four bytes
        {kT0, "", 0x10, "00 B0 00 00 10 "},              // case 2
        {kT1, "", 256, "00 B0 00 00 00 "},               // Le 256 goes out as 00
        {kT0, "3F00", 0, "00 B0 00 00 02 3F 00 "},       // case 3
        {kT0, "3F00", 256, "00 B0 00 00 02 3F 00 "},     // case 4 on T=0: no Le
        {kT1, "3F00", 0x20, "00 B0 00 00 02 3F 00 20 "}, // case 4 on T=1
        {4, "3F00", 0x20, "00 B0 00 00 02 3F 00 20 "},   // raw: as T=1, not T=0
        {4, "", 0, "00 B0 00 00 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.wire);
        MockWrapper wrapper;
        EXPECT_CALL(wrapper, Status(_)).WillOnce(Invoke(statusWith(row.protocol)));
        CZazTerminal terminal(&wrapper);
        std::string sent;
        EXPECT_CALL(wrapper, Transmit(_, _, 258)).WillOnce(Invoke(answer(&sent, "0102 9000")));
        ByteVector data;
        std::uint16_t sw = 0;
        terminal.transmit(0x00, 0xB0, 0x00, 0x00, ByteVector(row.data), row.le, data, sw);
        EXPECT_EQ(sent, row.wire);
        EXPECT_EQ(sw, 0x9000);
        EXPECT_EQ(data.toString(), "01 02 ");
    }
}

TEST(CZazTerminalTest, RefusesOversizedCommandsBeforeSending) {
    MockWrapper wrapper;
    EXPECT_CALL(wrapper, Status(_)).WillOnce(Invoke(statusWith(kT1)));
    CZazTerminal terminal(&wrapper);
    EXPECT_CALL(wrapper, Transmit(_, _, _)).Times(0);
    ByteVector out;
    std::uint16_t sw = 0;
    const ByteVector big(std::string(512, 'A'));
    EXPECT_THROW(terminal.transmit(0, 0xD6, 0, 0, big, 0, out, sw), ZAZ::CardFrameworkException);
    EXPECT_THROW(terminal.transmit(0, 0xB0, 0, 0, ByteVector(), 257, out, sw),
                 ZAZ::CardFrameworkException);
    EXPECT_EQ(terminal.exchangeCount(), 0u);
}

TEST(CZazTerminalTest, RetriesOnceAfterAFailureAndCountsOnce) {
    MockWrapper wrapper;
    EXPECT_CALL(wrapper, Status(_)).Times(3).WillRepeatedly(Invoke(statusWith(kT1)));
    CZazTerminal terminal(&wrapper);
    std::string sent;
    EXPECT_CALL(wrapper, Transmit(_, _, _))
        .WillOnce(Throw(pcscError(0x80100016)))
        .WillOnce(Invoke(answer(&sent, "9000")));
    ByteVector out;
    std::uint16_t sw = 0;
    terminal.transmit(0, 0xA4, 0, 0x0C, ByteVector("3F00"), 0, out, sw);
    EXPECT_EQ(sw, 0x9000);
    EXPECT_EQ(terminal.exchangeCount(), 1u);

    EXPECT_CALL(wrapper, Transmit(_, _, _))
        .WillOnce(Throw(pcscError(0x80100069)))
        .WillOnce(Throw(pcscError(0x80100069)));
    EXPECT_THROW(terminal.transmit(0, 0xB0, 0, 0, ByteVector(), 1, out, sw), ZAZ::PCSCException);
    EXPECT_EQ(terminal.exchangeCount(), 1u);
}

TEST(CZazTerminalTest, ReconnectsToACardResetByAnotherApplication) {
    MockWrapper wrapper;
    EXPECT_CALL(wrapper, Status(_)).WillOnce(Invoke(statusWith(kT1, "3B01")));
    CZazTerminal terminal(&wrapper);
    // The transmit sees the reset; the refresh's Status does too, then reconnects.
    EXPECT_CALL(wrapper, Status(_))
        .WillOnce(Throw(ZAZ::PCSCResetException(1, 0x80100068, "PCSCResetException")))
        .WillOnce(Invoke(statusWith(kT0, "3B02")));
    EXPECT_CALL(wrapper, Reconnect()).WillOnce(Return(0));
    std::string sent;
    EXPECT_CALL(wrapper, Transmit(_, _, _))
        .WillOnce(Throw(ZAZ::PCSCResetException(1, 0x80100068, "PCSCResetException")))
        .WillOnce(Invoke(answer(&sent, "9000")));
    ByteVector out;
    std::uint16_t sw = 0;
    terminal.transmit(0, 0xB0, 0, 0, ByteVector(), 0, out, sw);
    EXPECT_EQ(sent, "00 B0 00 00 "); // the bytes built for T=1 are sent again as they were
    EXPECT_EQ(terminal.atr().toString(), "3B 02 ");
    EXPECT_EQ(terminal.protocol(), kT0);
}

// A PIN command goes out a second time only when PC/SC refused it before it
// reached the card; a lost answer may hide a spent try. Other commands retry.
TEST(CZazTerminalTest, StateChangingCommandsAreResentOnlyAfterARefusal) {
    const struct {
        std::uint8_t ins;
        unsigned long code;  // of the first attempt; 0: an answer without status word
        int sends;           // 2: the second answers 9000
        const char* failure; // "": none
    } rows[] = {
        {0x20, 0, 1, "An unknown error occurred."},
        {0x24, 0x80100069, 1, "PCSCException. Error code = 0x80100069"}, // removed card
        {0x2C, 0x8010002F, 1, "PCSCException. Error code = 0x8010002F"}, // communication error
        {0x20, 0x80100068, 2, ""},                                       // reset card
        {0x2C, 0x80100067, 2, ""},                                       // unpowered card
        {0xB0, 0, 2, ""},
        {0xB0, 0x8010002F, 2, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << int(row.ins) << " " << row.code);
        MockWrapper wrapper;
        EXPECT_CALL(wrapper, Status(_)).WillRepeatedly(Invoke(statusWith(kT1)));
        CZazTerminal terminal(&wrapper);
        std::string sent;
        using Action = testing::Action<unsigned long(const ByteVector&, ByteVector&, std::int32_t)>;
        auto& call = EXPECT_CALL(wrapper, Transmit(_, _, _))
                         .WillOnce(row.code == 0 ? Action(Invoke(answer(&sent, "")))
                                                 : Action(Throw(pcscError(row.code))));
        if (row.sends == 2) {
            call.WillOnce(Invoke(answer(&sent, "9000")));
        }
        ByteVector out;
        std::uint16_t sw = 0;
        EXPECT_EQ(MessageOf([&] {
                      terminal.transmit(0, row.ins, 0, 0x81, ByteVector("31323334"), 0, out, sw);
                  }),
                  row.failure[0] == 0 ? "(no exception)" : row.failure);
    }
}

// After a reconnect the card must be ready: the state SCARD_SPECIFIC names, or
// the powered bits pcsc-lite reports (event count in the upper half).
TEST(CZazTerminalTest, ResetRefreshRefusesACardThatIsNotReady) {
    const struct {
        std::uint32_t state;
        const char* failure;
    } rows[] = {
        {SCARD_SPECIFIC, "(no exception)"},
        {0x00030000 | SCARD_PRESENT | SCARD_POWERED | SCARD_NEGOTIABLE, "(no exception)"},
        {SCARD_PRESENT, "An unknown error occurred."},
        {SCARD_ABSENT, "An unknown error occurred."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.state);
        MockWrapper wrapper;
        EXPECT_CALL(wrapper, Status(_))
            .WillOnce(Throw(ZAZ::PCSCResetException(1, 0x80100068, "PCSCResetException")))
            .WillOnce(Invoke([&](ZAZ::ReaderStatus& s) {
                s.state = row.state;
                return 0ul;
            }));
        EXPECT_CALL(wrapper, Reconnect()).WillOnce(Return(0));
        EXPECT_EQ(MessageOf([&] { CZazTerminal terminal(&wrapper); }), row.failure);
    }
}

TEST(CZazTerminalTest, ShortAnswersAndMissingWrapperFailCleanly) {
    MockWrapper wrapper;
    EXPECT_CALL(wrapper, Status(_)).WillRepeatedly(Invoke(statusWith(kT1)));
    CZazTerminal terminal(&wrapper);
    for (const char* response : {"", "90"}) {
        SCOPED_TRACE(response);
        std::string sent;
        // A short answer gets the one retry; a second one is an error.
        EXPECT_CALL(wrapper, Transmit(_, _, _))
            .Times(2)
            .WillRepeatedly(Invoke(answer(&sent, response)));
        ByteVector out;
        std::uint16_t sw = 0;
        EXPECT_EQ(MessageOf([&] { terminal.transmit(0, 0xB0, 0, 0, ByteVector(), 0, out, sw); }),
                  "An unknown error occurred.");
    }
    CZazTerminal unbound;
    ByteVector out;
    std::uint16_t sw = 0;
    EXPECT_THROW(unbound.transmit(0, 0xB0, 0, 0, ByteVector(), 0, out, sw),
                 ZAZ::CardFrameworkException);
    EXPECT_THROW(unbound.reset(), ZAZ::CardFrameworkException);
    EXPECT_THROW(unbound.atr(), ZAZ::CardFrameworkException);
}

TEST(CZazTerminalTest, TransactionsRetryOnceAndIgnoreNotTransacted) {
    MockWrapper wrapper;
    EXPECT_CALL(wrapper, Status(_)).WillRepeatedly(Invoke(statusWith(kT1)));
    CZazTerminal terminal(&wrapper);
    EXPECT_CALL(wrapper, EndTransaction()).WillOnce(Throw(pcscError(0x80100016)));
    terminal.endTransaction();
    EXPECT_CALL(wrapper, BeginTransaction())
        .WillOnce(Throw(pcscError(0x80100017)))
        .WillOnce(Return(0));
    terminal.beginTransaction();
    EXPECT_CALL(wrapper, BeginTransaction())
        .WillOnce(Throw(pcscError(0x80100017)))
        .WillOnce(Throw(pcscError(0x80100017)));
    EXPECT_THROW(terminal.beginTransaction(), ZAZ::PCSCException);
}

TEST(CZazTerminalTest, AssignmentBindsWithoutOwning) {
    MockWrapper wrapper;
    EXPECT_CALL(wrapper, Status(_)).WillRepeatedly(Invoke(statusWith(kT1)));
    std::string sent;
    EXPECT_CALL(wrapper, Transmit(_, _, _)).WillOnce(Invoke(answer(&sent, "9000")));
    CZazTerminal source(&wrapper);
    ByteVector out;
    std::uint16_t sw = 0;
    source.transmit(0, 0xB0, 0, 0, ByteVector(), 0, out, sw);
    CZazTerminal bound;
    bound = source;
    EXPECT_EQ(bound.wrapper(), &wrapper);
    EXPECT_EQ(bound.exchangeCount(), 1u);
    EXPECT_EQ(bound.readerName(), "R");
    // Neither terminal owns the mock, so destroying them must not delete it.
}
