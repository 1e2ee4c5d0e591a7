// The PC/SC wrapper against pcscd, vpcd and ias-vcard (see VcardEnv.h). The
// removal test runs last and puts the card back.
#include "TestSupport.h"
#include "Zaz/TempConfigRoot.h"
#include "integration/VcardEnv.h"

#include "Zaz/PCSCException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"
#include "Zaz/SCardCommException.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <typeinfo>

using namespace testsupport;

using cardit::Reader;
using ZAZ::ByteVector;
using ZAZ::PCSCWrapperMicrosoft;
using ZAZ::ReaderStatus;

namespace {

ByteVector Atr() {
    return ByteVector(cardit::ProfileAtr());
}
DWORD Protocol() {
    return cardit::ProfileIsT0() ? SCARD_PROTOCOL_T0 : SCARD_PROTOCOL_T1;
}

/// SELECT of the MF without answer data, with the P1 the profile accepts.
std::string SelectMfText() {
    const std::string profile = cardit::ReadFile(cardit::Env("IAS_VCARD_PROFILE"));
    std::smatch m;
    const bool p1 =
        std::regex_search(profile, m, std::regex("\"selectMf\"\\s*:\\s*\\[\\s*\"(..)\""));
    return "00 A4 " + (p1 ? m[1].str() : "00") + " 0C 02 3F 00";
}
const std::string kSelectMf = SelectMfText();

std::string Send(ZAZ::PCSCWrapper& wrapper, const std::string& hex) {
    ByteVector response;
    wrapper.Transmit(ByteVector(hex), response, 258);
    return response.toString();
}

bool Has(const std::string& log, const std::string& text) {
    return log.find(text) != std::string::npos;
}

class PcscWrapperIT : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Reader().empty()) << "run under scripts/with-vcard";
        wrapper.Connect(Reader(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1);
    }
    PCSCWrapperMicrosoft wrapper;
};

} // namespace

TEST_F(PcscWrapperIT, TransmitTracesAndMasksPinCommands) {
    LoggedConfigRoot root;
    const cardit::TraceMark mark;
    // PinIT checks the masking and the overwrite of plain PIN commands.
    EXPECT_EQ(Send(wrapper, kSelectMf), "90 00 ");
    Send(wrapper, "00 20 00 85 01 31");          // too short to hold a PIN
    Send(wrapper, "0C 20 00 81 04 31 32 33 34"); // masked, not overwritten
    const std::vector<std::string> expected = {cardit::Compact(kSelectMf), "002000850131",
                                               "0C2000810431323334"};
    EXPECT_EQ(mark.NewCommands(), expected);

    const std::string log = root.Log();
    EXPECT_TRUE(Has(log, "\t\tApdu                         -> " + kSelectMf + " \n")) << log;
    EXPECT_TRUE(
        std::regex_search(log, std::regex("\t\tApdu \\([0-9]+ ms, [0-9]+ s\\) <- 90 00 \n")));
    EXPECT_TRUE(Has(log, "-> 00 20 00 85 01 31 \n"));
    EXPECT_TRUE(Has(log, "-> 0C 20 00 81 XX ...\n"));
    EXPECT_FALSE(Has(log, "31 32 33 34")) << "PIN in the log";
}

TEST_F(PcscWrapperIT, TransactionsResetsReconnectAndDetach) {
    EXPECT_NE(PcscCode([&] { wrapper.EndTransaction(); }, typeid(ZAZ::PCSCException)), 0u);
    LoggedConfigRoot root;
    EXPECT_EQ(wrapper.BeginTransaction(), 0u);
    Send(wrapper, kSelectMf);
    EXPECT_EQ(wrapper.EndTransaction(), 0u);
    const cardit::TraceMark mark;
    EXPECT_EQ(wrapper.WarmReset(), 0u);
    EXPECT_EQ(wrapper.ColdReset(), 0u);
    EXPECT_EQ(wrapper.Reconnect(), 0u);
    const std::vector<std::string> lines = mark.NewLines();
    EXPECT_GE(std::count(lines.begin(), lines.end(), "! RESET") +
                  std::count(lines.begin(), lines.end(), "! POWER_ON"),
              2);
    EXPECT_EQ(wrapper.GetActiveProtocol(), Protocol());
    EXPECT_EQ(Send(wrapper, kSelectMf), "90 00 ");
    const std::string log = root.Log();
    for (const char* line : {"SCardBeginTransaction returned 0x00000000\n",
                             "SCardReconnect returned 0x00000000\n", "(ColdReset())"}) {
        EXPECT_TRUE(Has(log, line)) << line;
    }
    // A borrowed handle stays connected when the borrower detaches.
    {
        PCSCWrapperMicrosoft borrowed;
        borrowed.Attach(wrapper.GetCardHandle(), false);
        EXPECT_EQ(borrowed.GetActiveProtocol(), Protocol());
        EXPECT_EQ(Send(borrowed, kSelectMf), "90 00 ");
        borrowed.Detach(true);
        EXPECT_EQ(borrowed.GetCardHandle(), 0);
    }
    EXPECT_FALSE(Has(root.Log(), "Disconnecting from card..."));
    EXPECT_EQ(Send(wrapper, kSelectMf), "90 00 ");
    wrapper.Detach(true); // the owner's Detach disconnects
    EXPECT_TRUE(Has(root.Log(), "Card disconnected: PC/SC returned:0x00000000\n"));
}

TEST_F(PcscWrapperIT, StatusAndStatusChangeReportThePresentCard) {
    ReaderStatus status;
    EXPECT_EQ(wrapper.Status(status), 0u);
    EXPECT_EQ(status.readerName, Reader());
    EXPECT_EQ(status.atr, Atr());
    EXPECT_EQ(status.protocol, Protocol());
    EXPECT_EQ(wrapper.GetActiveProtocol(), Protocol());
    const std::uint32_t powered = SCARD_PRESENT | SCARD_POWERED;
    EXPECT_EQ(status.state & powered, powered) << std::hex << status.state;
    std::vector<ReaderStatus> in(1), out;
    in[0].readerName = Reader();
    in[0].state = SCARD_STATE_UNAWARE;
    ASSERT_TRUE(wrapper.GetStatusChange(in, out, 1000));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NE(out[0].state & SCARD_STATE_PRESENT, 0u);
    EXPECT_EQ(out[0].atr, Atr());
    in[0].state = out[0].state & ~static_cast<std::uint32_t>(SCARD_STATE_CHANGED);
    EXPECT_FALSE(wrapper.GetStatusChange(in, out, 300)); // nothing changes: time-out
    in[0].readerName = "No such reader";
    EXPECT_EQ(
        PcscCode([&] { wrapper.GetStatusChange(in, out, 100); }, typeid(ZAZ::SCardCommException)),
        static_cast<unsigned long>(SCARD_E_UNKNOWN_READER));
}

TEST_F(PcscWrapperIT, LocatesAndNamesTheCardThroughAtrCnf) {
    LoggedConfigRoot root;
    const std::string atr = cardit::ProfileAtr();
    root.Write("atr.cnf", "Card: Other\nAtr: 3F00\nAtrMask: FFFF\nCard: Virtual card\nAtr: " + atr +
                              "\nAtrMask: " + std::string(atr.size(), 'F') + "\n");
    ReaderStatus status;
    status.readerName = Reader();
    EXPECT_EQ(wrapper.LocateCards(status, std::string("Virtual card\0\0", 14)), 0u);
    const std::uint32_t match = SCARD_STATE_PRESENT | SCARD_STATE_ATRMATCH;
    EXPECT_EQ(status.state & match, match);
    EXPECT_EQ(status.atr, Atr());
    EXPECT_EQ(wrapper.GetSmartCardName(), "Virtual card");
    EXPECT_TRUE(Has(root.Log(), "\t\tCard name in reader: '" + Reader() + "' is: 'Virtual card'\n"))
        << root.Log();

    root.Write("atr.cnf", "Card: Other\nAtr: 3F00\nAtrMask: FFFF\n");
    wrapper.LocateCards(status, "");
    EXPECT_EQ(status.state & match, static_cast<std::uint32_t>(SCARD_STATE_PRESENT));
    EXPECT_EQ(wrapper.GetSmartCardName(), "");
    EXPECT_TRUE(std::regex_search(
        root.Log(),
        std::regex("WARNING\tLocateCards:\tCard not recognized\\. PSCSStatus=0x[0-9A-F]+\n")))
        << root.Log();

    std::filesystem::remove(root / "atr.cnf");
    EXPECT_EQ(PcscCode([&] { wrapper.LocateCards(status, ""); }, typeid(ZAZ::PCSCException)),
              static_cast<unsigned long>(SCARD_F_INTERNAL_ERROR));
}

// Runs last: takes the card out of the reader and puts it back. The failing
// transmit and connect on an empty reader are FakePcscTest's.
TEST_F(PcscWrapperIT, ZzEmptyReaderIsLocatedWithoutAtrCnf) {
    ASSERT_EQ(cardit::VcardCtl("stop"), 0);
    {
        TempConfigRoot noAtrCnf;
        ReaderStatus status;
        status.readerName = Reader();
        EXPECT_EQ(wrapper.LocateCards(status, ""), 0u);
        EXPECT_NE(status.state & SCARD_STATE_EMPTY, 0u);
        EXPECT_TRUE(status.atr.empty());
    }
    EXPECT_EQ(cardit::VcardCtl("start"), 0);
}
