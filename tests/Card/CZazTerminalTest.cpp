#include "Card/CZazTerminal.h"
#include "Card/CCard.h"
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
using testsupport::failureOf;
using ZAZ::ByteVector;

namespace {
constexpr std::uint32_t kT0 = 1, kT1 = 2;

constexpr std::uint32_t kPowered = SCARD_PRESENT | SCARD_POWERED | SCARD_NEGOTIABLE;

// Status answers: reader "R", the given protocol, an ATR and card state.
auto statusWith(std::uint32_t protocol, const char* atr = "3B8001",
                std::uint32_t state = kPowered) {
    return [=](ZAZ::ReaderStatus& s) {
        s.readerName = "R";
        s.state = state;
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

// The four cases under T=0 and T=1 are checked on the wire by ApduIT. A raw
// protocol is encoded as T=1; oversized commands never reach the wrapper.
TEST(CZazTerminalTest, RawEncodesAsT1AndOversizedCommandsStayUnsent) {
    MockWrapper wrapper;
    EXPECT_CALL(wrapper, Status(_)).WillOnce(Invoke(statusWith(4)));
    CZazTerminal terminal(&wrapper);
    std::string sent;
    EXPECT_CALL(wrapper, Transmit(_, _, 258))
        .Times(2)
        .WillRepeatedly(Invoke(answer(&sent, "0102 9000")));
    ByteVector data;
    std::uint16_t sw = 0;
    terminal.transmit(0x00, 0xB0, 0x00, 0x00, ByteVector("3F00"), 0x20, data, sw);
    EXPECT_EQ(sent, "00 B0 00 00 02 3F 00 20 "); // not as T=0
    EXPECT_EQ(sw, 0x9000);
    EXPECT_EQ(data.toString(), "01 02 ");
    terminal.transmit(0x00, 0xB0, 0x00, 0x00, ByteVector(), 0, data, sw);
    EXPECT_EQ(sent, "00 B0 00 00 ");
    const ByteVector big(std::string(512, 'A'));
    EXPECT_EQ(failureOf([&] { terminal.transmit(0, 0xD6, 0, 0, big, 0, data, sw); }), kIllegal);
    EXPECT_EQ(failureOf([&] { terminal.transmit(0, 0xB0, 0, 0, ByteVector(), 257, data, sw); }),
              kIllegal);
    EXPECT_EQ(terminal.exchangeCount(), 2u);
}

// One retry after a status refresh, except for a PIN command that may have
// reached the card: a lost answer may hide a spent try.
TEST(CZazTerminalTest, RetryPolicyOfExchanges) {
    constexpr unsigned long kEmpty = 0, kShort = 0x90, kOk = 0x9000, kNone = 1;
    const struct {
        std::uint8_t ins;
        unsigned long first, second; // PC/SC failure codes or the answers above
        const char* failure;         // "": none
    } rows[] = {
        {0xB0, 0x80100016, kOk, ""}, // counted once
        {0xB0, 0x80100069, 0x80100069, "PCSCException. Error code = 0x80100069"},
        {0xB0, kEmpty, kShort, "An unknown error occurred."},
        {0x20, kEmpty, kNone, "An unknown error occurred."},
        {0x24, 0x80100069, kNone, "PCSCException. Error code = 0x80100069"}, // removed
        {0x2C, 0x8010002F, kNone, "PCSCException. Error code = 0x8010002F"}, // comm error
        {0x20, 0x80100068, kOk, ""}, // reset card: refused before reaching it
        {0x2C, 0x80100067, kOk, ""}, // unpowered card
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << int(row.ins) << " " << row.first);
        MockWrapper wrapper;
        EXPECT_CALL(wrapper, Status(_)).WillRepeatedly(Invoke(statusWith(kT1)));
        CZazTerminal terminal(&wrapper);
        std::string sent;
        auto act = [&](unsigned long code) {
            using Action = testing::Action<unsigned long(const ByteVector&, ByteVector&, int)>;
            return code > kOk ? Action(Throw(pcscError(code)))
                              : Action(Invoke(answer(&sent, code == kOk      ? "9000"
                                                            : code == kShort ? "90"
                                                                             : "")));
        };
        auto& call = EXPECT_CALL(wrapper, Transmit(_, _, _)).WillOnce(act(row.first));
        if (row.second != kNone) {
            call.WillOnce(act(row.second));
        }
        ByteVector out;
        std::uint16_t sw = 0;
        EXPECT_EQ(failureOf([&] {
                      terminal.transmit(0, row.ins, 0, 0x81, ByteVector("31323334"), 0, out, sw);
                  }),
                  row.failure);
        if (row.failure[0] == 0) {
            EXPECT_EQ(terminal.exchangeCount(), 1u);
        }
    }
}

// The transmit sees a reset; so does the refresh's Status, which reconnects.
// The card must then be ready: the state SCARD_SPECIFIC names, or the
// powered bits pcsc-lite reports (an event count in the upper half).
TEST(CZazTerminalTest, ReconnectsToACardResetByAnotherApplication) {
    const ZAZ::PCSCResetException reset(1, 0x80100068, "PCSCResetException");
    const struct {
        std::uint32_t state;
        const char* failure;
    } rows[] = {
        {SCARD_SPECIFIC, ""},
        {0x00030000 | kPowered, ""},
        {SCARD_PRESENT, "An unknown error occurred."},
        {SCARD_ABSENT, "An unknown error occurred."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.state);
        MockWrapper wrapper;
        EXPECT_CALL(wrapper, Status(_)).WillOnce(Invoke(statusWith(kT1, "3B01")));
        CZazTerminal terminal(&wrapper);
        EXPECT_CALL(wrapper, Status(_))
            .WillOnce(Throw(reset))
            .WillOnce(Invoke(statusWith(kT0, "3B02", row.state)));
        EXPECT_CALL(wrapper, Reconnect()).WillOnce(Return(0));
        std::string sent;
        EXPECT_CALL(wrapper, Transmit(_, _, _))
            .WillOnce(Throw(reset))
            .WillRepeatedly(Invoke(answer(&sent, "9000")));
        ByteVector out;
        std::uint16_t sw = 0;
        EXPECT_EQ(failureOf([&] { terminal.transmit(0, 0xB0, 0, 0, ByteVector(), 0, out, sw); }),
                  row.failure);
        if (row.failure[0] == 0) {
            EXPECT_EQ(sent, "00 B0 00 00 "); // the bytes built for T=1, sent again as they were
            EXPECT_EQ(terminal.atr().toString(), "3B 02 ");
            EXPECT_EQ(terminal.protocol(), kT0);
            EXPECT_EQ(terminal.resetCount(), 1u);
        }
    }
}

// A reset met by a piece after the first fails the whole PIN command: that
// piece is not sent again alone and nothing follows it. The first piece has
// nothing before it on the card and is retried like a whole command.
TEST(CZazTerminalTest, ResetWithinAChainFailsTheCommandAndResendsNoPiece) {
    const int rows[][4] = {// INS, data bytes, send that meets the reset, sends in all
                           {0x20, 300, 2, 2},
                           {0x2C, 600, 2, 2},
                           {0x24, 300, 1, 3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        MockWrapper wrapper;
        EXPECT_CALL(wrapper, Status(_)).WillRepeatedly(Invoke(statusWith(kT1)));
        CZazTerminal terminal(&wrapper);
        std::string sent;
        auto& call = EXPECT_CALL(wrapper, Transmit(_, _, _)).Times(row[3]);
        for (int n = 1; n <= row[3]; ++n) {
            using Action = testing::Action<unsigned long(const ByteVector&, ByteVector&, int)>;
            call.WillOnce(n == row[2] ? Action(Throw(ZAZ::PCSCResetException(1, 0x80100068,
                                                                             "PCSCResetException")))
                                      : Action(Invoke(answer(&sent, "9000"))));
        }
        const ByteVector data(std::string(2 * row[1], '3'));
        EXPECT_EQ(failureOf([&] {
                      IAS::CCard(&terminal).transmit(IAS::CCardCommand(0, row[0], 0, 0x81, data));
                  }),
                  row[2] > 1 ? "PCSCResetException. Error code = 0x80100068" : "");
    }
}

TEST(CZazTerminalTest, TransactionsRetryOnceAssignmentBindsNoWrapperFails) {
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
    EXPECT_EQ(PcscCode([&] { terminal.beginTransaction(); }, typeid(ZAZ::PCSCException)),
              0x80100017u);
    // Assignment binds without owning.
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
    EXPECT_EQ(bound.resetCount(), 1u); // another connection: a reset for its selections
    EXPECT_EQ(bound.readerName(), "R");
    // Neither terminal owns the mock, so destroying them must not delete it.

    CZazTerminal unbound;
    const char* const unknown = "An unknown error occurred.";
    EXPECT_EQ(failureOf([&] { unbound.transmit(0, 0xB0, 0, 0, ByteVector(), 0, out, sw); }),
              unknown);
    EXPECT_EQ(failureOf([&] { unbound.reset(); }), unknown);
    EXPECT_EQ(failureOf([&] { unbound.atr(); }), unknown);
}
