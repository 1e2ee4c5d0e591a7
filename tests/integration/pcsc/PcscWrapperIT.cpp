// The PC/SC wrapper against pcscd, vpcd and ias-vcard. Runs under
// scripts/with-vcard, which puts the card of IAS_VCARD_PROFILE into the reader
// IAS_TEST_READER and records its APDUs in IAS_VCARD_TRACE. The card is
// removed and put back by the removal test, which runs last.
#include "Zaz/LoggedConfigRoot.h"

#include "Zaz/PCSCException.h"
#include "Zaz/PCSCResetException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"
#include "Zaz/SCardCommException.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <typeinfo>
#include <vector>

using ZAZ::ByteVector;
using ZAZ::PCSCWrapperMicrosoft;
using ZAZ::ReaderStatus;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Reader() {
    return Env("IAS_TEST_READER");
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// The ATR of the card profile being played.
ByteVector ProfileAtr() {
    const std::string profile = ReadFile(Env("IAS_VCARD_PROFILE"));
    std::smatch m;
    EXPECT_TRUE(std::regex_search(profile, m, std::regex("\"atr\"\\s*:\\s*\"([0-9A-Fa-f ]+)\"")));
    return ByteVector(m[1].str());
}

/// The protocol the ATR offers first: T=1 when TD1 names it, else T=0.
DWORD ProfileProtocol() {
    const ByteVector atr = ProfileAtr();
    const unsigned char t0 = atr[1];
    if ((t0 & 0x80) == 0) {
        return SCARD_PROTOCOL_T0;
    }
    int td1 = 2;
    for (unsigned bit : {0x10U, 0x20U, 0x40U}) {
        td1 += (t0 & bit) != 0 ? 1 : 0;
    }
    return (atr[td1] & 0x0F) == 1 ? SCARD_PROTOCOL_T1 : SCARD_PROTOCOL_T0;
}

/// Lines the card saw, without the direction marks: "> 00A4..." -> "00A4...".
std::vector<std::string> CardCommands() {
    std::vector<std::string> commands;
    std::ifstream in(Env("IAS_VCARD_TRACE"));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("> ", 0) == 0) {
            commands.push_back(line.substr(2));
        }
    }
    return commands;
}

/// Hex text without blanks, as the card's trace writes it.
std::string Compact(const std::string& hex) {
    std::string out;
    for (char c : hex) {
        if (c != ' ') {
            out += c;
        }
    }
    return out;
}

void VcardCtl(const char* action) {
    const std::string command = "\"" + Env("IAS_VCARD_CTL") + "\" " + action + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

unsigned long CodeOf(const std::function<void()>& call, const std::type_info& expected) {
    try {
        call();
    } catch (const ZAZ::SCardCommException& e) {
        EXPECT_EQ(typeid(e), expected) << e.message();
        return e.getErrorCode();
    }
    ADD_FAILURE() << "no exception";
    return 0;
}

ByteVector SendOk(ZAZ::PCSCWrapper& wrapper, const char* hex) {
    ByteVector response;
    wrapper.Transmit(ByteVector(hex), response, 258);
    EXPECT_GE(response.size(), 2);
    return response;
}

class PcscWrapperIT : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Reader().empty()) << "run under scripts/with-vcard";
        wrapper.Connect(Reader(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1);
    }
    PCSCWrapperMicrosoft wrapper;
};

// Select the master file without answer data, with a P1 that the profile
// accepts: 9000 whatever the protocol.
std::string SelectMfText() {
    const std::string profile = ReadFile(Env("IAS_VCARD_PROFILE"));
    std::smatch m;
    std::string p1 = "00";
    if (std::regex_search(profile, m,
                          std::regex("\"selectMf\"\\s*:\\s*\\[\\s*\"([0-9A-Fa-f]{2})\""))) {
        p1 = m[1].str();
    }
    return "00 A4 " + p1 + " 0C 02 3F 00";
}
const std::string kSelectMfText = SelectMfText();
const char* const kSelectMf = kSelectMfText.c_str();

} // namespace

TEST_F(PcscWrapperIT, ListsBothVirtualReaders) {
    ZAZ::PackedStringList readers;
    PCSCWrapperMicrosoft other;
    other.ListReaders(readers);
    EXPECT_TRUE(readers.contains("Virtual PCD 00 00"));
    EXPECT_TRUE(readers.contains("Virtual PCD 00 01"));
    EXPECT_NE(other.GetContext(), 0); // listing established a context
}

TEST_F(PcscWrapperIT, ConnectsSharedAndReportsStatus) {
    EXPECT_NE(wrapper.GetCardHandle(), 0);
    EXPECT_NE(wrapper.GetContext(), 0);
    EXPECT_TRUE(wrapper.OwnsHandle());
    EXPECT_EQ(wrapper.GetActiveProtocol(), ProfileProtocol());

    LoggedConfigRoot root;
    ReaderStatus status;
    EXPECT_EQ(wrapper.Status(status), 0u);
    const std::string log = root.Log();
    EXPECT_NE(log.find("SCardStatus returned 0x00000000\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Reader = " + Reader() + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("(Status())] \n"), std::string::npos) << log;
    EXPECT_EQ(status.readerName, Reader());
    EXPECT_EQ(status.atr, ProfileAtr());
    EXPECT_EQ(status.protocol, ProfileProtocol());
    // pcsc-lite reports a negotiated card as present, powered and
    // negotiable, never SCARD_SPECIFIC; the upper half counts card events.
    const std::uint32_t powered = SCARD_PRESENT | SCARD_POWERED;
    EXPECT_EQ(status.state & powered, powered) << std::hex << status.state;

    // Shared mode: a second application connects at the same time.
    PCSCWrapperMicrosoft second;
    EXPECT_NO_THROW(second.Connect(Reader(), SCARD_SHARE_SHARED, 3));

    ReaderStatus byName;
    byName.readerName = Reader();
    wrapper.GetReaderStatus(byName);
    EXPECT_NE(byName.state & SCARD_STATE_PRESENT, 0u);
    EXPECT_EQ(byName.atr, ProfileAtr());
    EXPECT_EQ(byName.protocol, ProfileProtocol());
}

TEST_F(PcscWrapperIT, ConnectingTwiceIsRefusedAndKeepsTheConnection) {
    const SCARDHANDLE handle = wrapper.GetCardHandle();
    EXPECT_EQ(CodeOf([&] { wrapper.Connect(Reader(), SCARD_SHARE_SHARED, 3); },
                     typeid(ZAZ::PCSCException)),
              0xE0100001u);
    EXPECT_EQ(wrapper.GetCardHandle(), handle);
    EXPECT_EQ(SendOk(wrapper, kSelectMf).toString(), "90 00 ");
}

TEST_F(PcscWrapperIT, TransmitsAndTracesCommandAndResponse) {
    LoggedConfigRoot root;
    const ByteVector response = SendOk(wrapper, kSelectMf);
    EXPECT_EQ(response.toString(), "90 00 ");
    ASSERT_FALSE(CardCommands().empty());
    EXPECT_EQ(CardCommands().back(), Compact(kSelectMf));

    const std::string log = root.Log();
    EXPECT_NE(log.find("\t\tApdu                         -> " + kSelectMfText + " \n"),
              std::string::npos)
        << log;
    EXPECT_TRUE(
        std::regex_search(log, std::regex("\t\tApdu \\([0-9]+ ms, [0-9]+ s\\) <- 90 00 \n")))
        << log;
    EXPECT_NE(log.find("[PCSCWrapperMicrosoft@"), std::string::npos);
    EXPECT_NE(log.find("(Transmit())] \n"), std::string::npos);
}

TEST_F(PcscWrapperIT, PinCommandsAreMaskedAndFollowedByAnOverwritingSelect) {
    LoggedConfigRoot root;
    const std::string t1Tail = ProfileProtocol() == SCARD_PROTOCOL_T1 ? "00" : "";

    // A 6-byte command with INS 20 carries no PIN worth hiding: traced in full.
    // Reference 85 does not exist on the card.
    SendOk(wrapper, "00 20 00 85 01 31");
    // VERIFY of the user PIN 1234 in plain.
    EXPECT_EQ(SendOk(wrapper, "00 20 00 81 04 31 32 33 34").toString(), "90 00 ");
    // The same with CLA 0C (secure messaging): masked, nothing sent after it.
    SendOk(wrapper, "0C 20 00 81 04 31 32 33 34");
    SendOk(wrapper, kSelectMf);

    const std::vector<std::string> commands = CardCommands();
    ASSERT_GE(commands.size(), 5u);
    const std::vector<std::string> last(commands.end() - 5, commands.end());
    EXPECT_EQ(last[0], "002000850131");
    EXPECT_EQ(last[1], "002000810431323334");
    EXPECT_EQ(last[2], "00A402000400000000" + t1Tail);
    EXPECT_EQ(last[3], "0C2000810431323334");
    EXPECT_EQ(last[4], Compact(kSelectMf));

    const std::string log = root.Log();
    EXPECT_NE(log.find("-> 00 20 00 85 01 31 \n"), std::string::npos) << log;
    EXPECT_NE(log.find("-> 00 20 00 81 XX ...\n"), std::string::npos) << log;
    EXPECT_NE(log.find("-> 0C 20 00 81 XX ...\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("31 32 33 34"), std::string::npos) << "PIN in the log";
    EXPECT_EQ(log.find("A4 02 00 04"), std::string::npos) << "overwrite traced";
}

TEST_F(PcscWrapperIT, TransactionsResetsAndReconnect) {
    LoggedConfigRoot root;
    EXPECT_EQ(wrapper.BeginTransaction(), 0u);
    SendOk(wrapper, kSelectMf);
    EXPECT_EQ(wrapper.EndTransaction(), 0u);

    const auto resets = [] {
        int n = 0;
        std::ifstream in(Env("IAS_VCARD_TRACE"));
        for (std::string line; std::getline(in, line);) {
            n += line == "! RESET" || line == "! POWER_ON" ? 1 : 0;
        }
        return n;
    };
    const int before = resets();
    EXPECT_EQ(wrapper.WarmReset(), 0u);
    EXPECT_EQ(wrapper.ColdReset(), 0u);
    EXPECT_EQ(wrapper.Reconnect(), 0u);
    EXPECT_GE(resets(), before + 2);
    EXPECT_EQ(wrapper.GetActiveProtocol(), ProfileProtocol());
    EXPECT_EQ(SendOk(wrapper, kSelectMf).toString(), "90 00 ");

    const std::string log = root.Log();
    char handle[32];
    std::snprintf(handle, sizeof handle, "m_scardhandle = 0x%.8X\n",
                  static_cast<unsigned>(wrapper.GetCardHandle() & 0xFFFFFFFF));
    for (const char* line : {"SCardBeginTransaction returned 0x00000000\n",
                             "SCardEndTransaction returned 0x00000000\n",
                             "SCardReconnect returned 0x00000000\n", "Done\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
    EXPECT_NE(log.find(handle), std::string::npos) << handle;
    for (const char* function : {"(WarmReset())", "(ColdReset())", "(Reconnect())"}) {
        EXPECT_NE(log.find(function), std::string::npos) << function;
    }
}

TEST_F(PcscWrapperIT, EndingATransactionNeverBegunFails) {
    const unsigned long code =
        CodeOf([&] { wrapper.EndTransaction(); }, typeid(ZAZ::PCSCException));
    EXPECT_NE(code, 0u);
}

TEST_F(PcscWrapperIT, CardResetByAnotherClientIsAResetException) {
    PCSCWrapperMicrosoft other;
    other.Connect(Reader(), SCARD_SHARE_SHARED, 3);
    other.WarmReset();

    ByteVector response;
    EXPECT_EQ(CodeOf([&] { wrapper.Transmit(ByteVector(kSelectMf), response, 258); },
                     typeid(ZAZ::PCSCResetException)),
              0x80100068u);
    // Status reports it too; Reconnect takes the reset card back.
    ReaderStatus status;
    EXPECT_EQ(CodeOf([&] { wrapper.Status(status); }, typeid(ZAZ::PCSCResetException)),
              0x80100068u);
    wrapper.Reconnect();
    EXPECT_EQ(SendOk(wrapper, kSelectMf).toString(), "90 00 ");
}

TEST_F(PcscWrapperIT, DetachAfterAttachWithoutOwnershipLeavesTheHandleConnected) {
    LoggedConfigRoot root;
    {
        PCSCWrapperMicrosoft borrowed;
        borrowed.Attach(wrapper.GetCardHandle(), false);
        EXPECT_FALSE(borrowed.OwnsHandle());
        EXPECT_EQ(borrowed.GetContext(), 0);
        EXPECT_EQ(borrowed.GetActiveProtocol(), ProfileProtocol());
        EXPECT_EQ(SendOk(borrowed, kSelectMf).toString(), "90 00 ");
        ZAZ::PackedStringList readers;
        borrowed.ListReaders(readers); // gives it a context of its own
        EXPECT_NE(borrowed.GetContext(), 0);
        borrowed.Detach(true);
        EXPECT_EQ(borrowed.GetCardHandle(), 0);
        EXPECT_EQ(borrowed.GetContext(), 0);
    }
    const std::string log = root.Log();
    EXPECT_EQ(log.find("Disconnecting from card..."), std::string::npos);
    EXPECT_NE(log.find("Releasing PC/SC Context...\n"), std::string::npos);
    EXPECT_NE(log.find("PC/SC context released: PC/SC returned:0x00000000\n"), std::string::npos);
    EXPECT_EQ(SendOk(wrapper, kSelectMf).toString(), "90 00 ");

    // The owner's own Detach disconnects.
    root.ClearLog();
    wrapper.Detach(true);
    const std::string ownLog = root.Log();
    EXPECT_NE(ownLog.find("Disconnecting from card...\n"), std::string::npos);
    EXPECT_NE(ownLog.find("Card disconnected: PC/SC returned:0x00000000\n"), std::string::npos);
}

TEST_F(PcscWrapperIT, StatusChangeReportsThePresentCardAndTimesOut) {
    std::vector<ReaderStatus> in(1), out;
    in[0].readerName = Reader();
    in[0].state = SCARD_STATE_UNAWARE;
    ASSERT_TRUE(wrapper.GetStatusChange(in, out, 1000));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].readerName, Reader());
    EXPECT_NE(out[0].state & SCARD_STATE_PRESENT, 0u);
    EXPECT_EQ(out[0].atr, ProfileAtr());
    EXPECT_EQ(out[0].protocol, 0u);

    // Nothing changes: the wait ends on its time-out.
    in[0].state = out[0].state & ~static_cast<std::uint32_t>(SCARD_STATE_CHANGED);
    EXPECT_FALSE(wrapper.GetStatusChange(in, out, 300));

    std::vector<ReaderStatus> states(1);
    states[0].readerName = Reader();
    states[0].state = SCARD_STATE_UNAWARE;
    EXPECT_EQ(wrapper.GetReaderStatusChange(states, 1000), 0u);
    EXPECT_NE(states[0].state & SCARD_STATE_PRESENT, 0u);
    EXPECT_EQ(states[0].atr, ProfileAtr());

    // A reader that does not exist is a failure of its own kind.
    in[0].readerName = "No such reader";
    in[0].state = SCARD_STATE_UNAWARE;
    EXPECT_EQ(
        CodeOf([&] { wrapper.GetStatusChange(in, out, 100); }, typeid(ZAZ::SCardCommException)),
        static_cast<unsigned long>(SCARD_E_UNKNOWN_READER));
}

TEST_F(PcscWrapperIT, LocatesAndNamesTheCardThroughAtrCnf) {
    LoggedConfigRoot root;
    const std::string atr = ProfileAtr().toString();
    std::string atrHex;
    for (char c : atr) {
        if (c != ' ') {
            atrHex += c;
        }
    }
    root.Write("atr.cnf", "Card: Other\nAtr: 3F00\nAtrMask: FFFF\n"
                          "Card: Virtual card\nAtr: " +
                              atrHex + "\nAtrMask: " + std::string(atrHex.size(), 'F') + "\n");
    ReaderStatus status;
    status.readerName = Reader();
    EXPECT_EQ(wrapper.LocateCards(status, std::string("Virtual card\0\0", 14)), 0u);
    EXPECT_EQ(status.state & (SCARD_STATE_PRESENT | SCARD_STATE_ATRMATCH),
              static_cast<std::uint32_t>(SCARD_STATE_PRESENT | SCARD_STATE_ATRMATCH));
    EXPECT_EQ(status.atr, ProfileAtr());
    EXPECT_EQ(status.protocol, ProfileProtocol());
    EXPECT_EQ(wrapper.GetSmartCardName(), "Virtual card");
    std::string log = root.Log();
    EXPECT_NE(log.find("Trying to Locate cards in reader:'" + Reader() + "'\n"), std::string::npos);
    EXPECT_NE(log.find("PC/SC call to SCardLocateCards returned:\n\t\tstrReader        = " +
                       Reader() + "\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("SCARD_STATE_PRESENT | SCARD_STATE_ATRMATCH | "), std::string::npos);
    EXPECT_NE(log.find("\t\tbufAtr           = " + atr + "\n"), std::string::npos);
    EXPECT_NE(log.find("\t\tCard name in reader: '" + Reader() + "' is: 'Virtual card'\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("Card not recognized"), std::string::npos);

    // The same card against a file that does not know it.
    root.Write("atr.cnf", "Card: Other\nAtr: 3F00\nAtrMask: FFFF\n");
    root.ClearLog();
    wrapper.LocateCards(status, "");
    EXPECT_NE(status.state & SCARD_STATE_PRESENT, 0u);
    EXPECT_EQ(status.state & SCARD_STATE_ATRMATCH, 0u);
    EXPECT_EQ(wrapper.GetSmartCardName(), "");
    log = root.Log();
    EXPECT_TRUE(std::regex_search(
        log, std::regex("WARNING\tLocateCards:\tCard not recognized\\. PSCSStatus=0x[0-9A-F]+\n")))
        << log;

    // No file at all: the locating routine fails, naming gives nothing.
    std::filesystem::remove(root / "atr.cnf");
    EXPECT_EQ(CodeOf([&] { wrapper.LocateCards(status, ""); }, typeid(ZAZ::PCSCException)),
              static_cast<unsigned long>(SCARD_F_INTERNAL_ERROR));
    EXPECT_EQ(wrapper.GetSmartCardName(), "");
}

// Runs last: takes the card out of the reader and puts it back.
TEST_F(PcscWrapperIT, ZzRemovedCardAndEmptyReader) {
    VcardCtl("stop");
    ByteVector response;
    const unsigned long code =
        CodeOf([&] { wrapper.Transmit(ByteVector(kSelectMf), response, 258); },
               typeid(ZAZ::PCSCException));
    EXPECT_EQ(code, static_cast<unsigned long>(SCARD_W_REMOVED_CARD));

    // The empty reader: no card to connect to, nothing to locate, no ATR.
    PCSCWrapperMicrosoft other;
    EXPECT_EQ(
        CodeOf([&] { other.Connect(Reader(), SCARD_SHARE_SHARED, 3); }, typeid(ZAZ::PCSCException)),
        static_cast<unsigned long>(SCARD_E_NO_SMARTCARD));
    {
        TempConfigRoot noAtrCnf; // an empty reader must not need "atr.cnf"
        ReaderStatus status;
        status.readerName = Reader();
        EXPECT_EQ(wrapper.LocateCards(status, ""), 0u);
        EXPECT_NE(status.state & SCARD_STATE_EMPTY, 0u);
        EXPECT_EQ(status.state & (SCARD_STATE_PRESENT | SCARD_STATE_ATRMATCH), 0u);
        EXPECT_TRUE(status.atr.empty());
    }
    ZAZ::PackedStringList readers;
    other.ListReaders(readers);
    EXPECT_TRUE(readers.contains(Reader()));

    VcardCtl("start");
}
