#include "Card/CZazTerminal.h"
#include "TestSupport.h"

#include "MockWrapper.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/PCSCException.h"
#include "Zaz/PCSCResetException.h"

#include <gtest/gtest.h>

#include <string>

using namespace testsupport;

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
        EXPECT_EQ(failureOf([&] { terminal.transmit(0, 0xB0, 0, 0, ByteVector(), 0, out, sw); }),
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
