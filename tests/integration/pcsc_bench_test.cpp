// The PC/SC bench: a plain pcsc-lite client, no library code, drives
// ias-vcard through pcscd and vpcd (run under scripts/with-vcard).
#include "integration/VcardEnv.h"

#include <PCSC/winscard.h>
#include <PCSC/wintypes.h>

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using Bytes = std::vector<std::uint8_t>;
using cardit::Env;
using cardit::VcardCtl;

Bytes hex(const std::string& s) {
    const std::string digits = cardit::Compact(s);
    Bytes out;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string cardDir() { // cards/x.json -> cards/x
    const std::string p = Env("IAS_VCARD_PROFILE");
    return p.substr(0, p.size() - 5);
}
bool isIasEcc() {
    return cardDir().find("iasecc") != std::string::npos;
}

std::uint16_t swOf(const Bytes& r) {
    return r.size() < 2 ? 0 : static_cast<std::uint16_t>(r[r.size() - 2] << 8 | r.back());
}
Bytes dataOf(const Bytes& r) {
    return Bytes(r.begin(), r.end() - (r.size() < 2 ? 0 : 2));
}

class Client {
public:
    Client() {
        EXPECT_EQ(SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &ctx),
                  SCARD_S_SUCCESS);
    }
    ~Client() {
        SCardDisconnect(card, SCARD_LEAVE_CARD);
        SCardReleaseContext(ctx);
    }
    LONG connect() {
        SCardDisconnect(card, SCARD_LEAVE_CARD);
        return SCardConnect(ctx, Env("IAS_TEST_READER").c_str(), SCARD_SHARE_SHARED,
                            SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol);
    }
    LONG reconnect(DWORD init) {
        return SCardReconnect(card, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, init,
                              &protocol);
    }
    bool t0() const { return protocol == SCARD_PROTOCOL_T0; }
    LONG raw(const Bytes& cmd, Bytes& response) {
        BYTE buf[260];
        DWORD len = sizeof buf;
        const LONG r = SCardTransmit(card, t0() ? SCARD_PCI_T0 : SCARD_PCI_T1, cmd.data(),
                                     static_cast<DWORD>(cmd.size()), nullptr, buf, &len);
        response.assign(buf, buf + (r == SCARD_S_SUCCESS ? len : 0));
        return r;
    }
    /// Sends the command; a 4-byte case 1 command gets P3 00 under T=0.
    Bytes send(const std::string& command) {
        Bytes cmd = hex(command);
        if (cmd.size() == 4 && t0()) {
            cmd.push_back(0);
        }
        Bytes r;
        EXPECT_EQ(raw(cmd, r), SCARD_S_SUCCESS) << command;
        return r;
    }
    /// Each command with the status word it must get.
    void steps(const std::vector<std::pair<const char*, std::uint16_t>>& list) {
        for (const auto& step : list) {
            EXPECT_EQ(swOf(send(step.first)), step.second) << step.first;
        }
    }

    SCARDCONTEXT ctx = 0;
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
};

class Bench : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Env("IAS_TEST_READER").empty()) << "run through scripts/with-vcard";
        ASSERT_EQ(c.connect(), SCARD_S_SUCCESS);
        EXPECT_EQ(c.t0(), !isIasEcc()); // the IAS ECC sample offers T=1 only, IAS T=0 only
    }
    Client c;
};

TEST_F(Bench, SelectForms) {
    c.steps({
        {"00A4000C023F00", isIasEcc() ? 0x9000 : 0x6A86},
        {"00A4010C023F00", isIasEcc() ? 0x6A86 : 0x9000},
        {"00A4040C0CA000000063504B43532D3135", 0x9000},
        {"00A4020C025031", 0x9000},
        {"00A4020C025015", 0x6A82}, // a DF is not an EF
        {"00A4080C0450154401", 0x9000},
        {"00A4090C024402", 0x9000},
        {"00A4080C063F0050154401", 0x6A82}, // a path from the MF leaves 3F00 out
        {"00A4080C03501544", 0x6700},
        {"00A4050C025031", 0x6A86},
        {"00A4040C05E828BD080F", 0x9000}, // partial DF name
        {"00A4020C022F00", 0x9000},       // the MF is current after that
        {"00EE0000", 0x6D00},
    });
}

TEST_F(Bench, ReadWholeFileInChunks) {
    const std::string expected = cardit::ReadFile(cardDir() + "/prkdf.der");
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(swOf(c.send("00A4080C0450154402")), 0x9000);
    const std::size_t size = isIasEcc() ? 512 : 256;
    Bytes content;
    std::vector<std::uint16_t> sws;
    while (content.size() <= size) {
        char command[16];
        std::snprintf(command, sizeof command, "00B0%04zXE7", content.size());
        const Bytes r = c.send(command);
        sws.push_back(swOf(r));
        if (swOf(r) != 0x9000 && swOf(r) != 0x6282) {
            break;
        }
        const Bytes d = dataOf(r);
        content.insert(content.end(), d.begin(), d.end());
    }
    // Chunks of 231, a short last one, then past the end.
    std::vector<std::uint16_t> want(size / 231, 0x9000);
    want.push_back(0x6282);
    want.push_back(0x6B00);
    EXPECT_EQ(sws, want);
    ASSERT_EQ(content.size(), size);
    EXPECT_EQ(std::string(content.begin(), content.begin() + static_cast<long>(expected.size())),
              expected);
    for (std::size_t i = expected.size(); i < size; ++i) {
        ASSERT_EQ(content[i], content.back()) << "filler at " << i;
    }
}

TEST_F(Bench, GetResponseAnswers) {
    // Case 4 without Le: the FCP waits for GET RESPONSE under both protocols;
    // the IAS sample hands it out in 16-byte pieces, the IAS ECC sample at once.
    ASSERT_EQ(swOf(c.send("00A4040C05E828BD080F")), 0x9000); // the MF
    Bytes r = c.send("00A40204022F00");
    ASSERT_EQ(swOf(r) >> 8, 0x61);
    const std::size_t announced = swOf(r) & 0xFF;
    Bytes fcp;
    int pieces = 0;
    while ((swOf(r) >> 8) == 0x61 && pieces++ < 10) {
        r = c.send("00C00000" + cardit::Hex(&r.back(), 1));
        const Bytes d = dataOf(r);
        fcp.insert(fcp.end(), d.begin(), d.end());
    }
    EXPECT_EQ(swOf(r), 0x9000);
    EXPECT_EQ(pieces, isIasEcc() ? 1 : 2);
    ASSERT_GE(fcp.size(), 2u);
    EXPECT_EQ(fcp[0], 0x62);
    EXPECT_EQ(fcp.size(), fcp[1] + 2u);
    EXPECT_EQ(announced, isIasEcc() ? fcp.size() : 16u);
    EXPECT_EQ(swOf(c.send("00C0000010")), 0x6985); // all taken
    if (!c.t0()) {                                 // with Le under T=1 the FCP comes at once
        fcp.insert(fcp.end(), {0x90, 0x00});
        EXPECT_EQ(c.send("00A40204022F0000"), fcp);
    }
}

TEST_F(Bench, PinCountersBlockingAndUnblocking) {
    ASSERT_EQ(VcardCtl("restart"), 0); // fresh counters
    ASSERT_EQ(c.connect(), SCARD_S_SUCCESS);
    c.steps({
        {"00200081", 0x63C3},
        {"002000810430303030", 0x63C2},
        {"002000810430303030", 0x63C1},
        {"002000810430303030", 0x63C0},
        {"002000810430303030", 0x6983},
        {"002000810431323334", 0x6983},          // right value, still blocked
        {"002C018108383736353433 3231", 0x63C9}, // wrong PUK
        {"002C0181083132333435363738", 0x9000},  // PUK only: unblock
        {"00200081", 0x63C3},
        {"002000810431323334", 0x9000},
        {"0024008108313233343433 3231", 0x9000}, // 1234 -> 4321
        {"002000810431323334", 0x63C2},
        {"002000810434333231", 0x9000},
        {"002401810435353535", 0x9000},   // verified: new PIN only
        {"002C0281043131313131", 0x6982}, // PUK not verified
        {"00200083083132333435363738", 0x9000},
        {"002C02810431313131", 0x9000}, // PUK verified: set 1111
        {"002000810431313131", 0x9000},
        {"002C00810C313233343536373832323232", 0x9000}, // PUK + 2222
        {"002000810432323232", 0x9000},
        {"00200099", 0x6A88},
    });
    ASSERT_EQ(c.reconnect(SCARD_RESET_CARD), SCARD_S_SUCCESS); // forgets what was verified
    c.steps({{"00200081", 0x63C3}, {"002C02810433333333", 0x6982}});
    ASSERT_EQ(VcardCtl("restart"), 0);
}

TEST_F(Bench, CommandChaining) {
    ASSERT_EQ(VcardCtl("restart"), 0);
    ASSERT_EQ(c.connect(), SCARD_S_SUCCESS);
    c.steps({
        {"10200081023132", 0x9000}, // first piece: held
        {"00200081023334", 0x9000}, // last piece: 1234 verified
        {"10200081023132", 0x9000},
        {"00240081023334", 0x6883}, // another command breaks the chain
        {"00200081", 0x9000},       // nothing was counted
        {"10200081023132", 0x9000},
        {"00200081023335", 0x63C2}, // 1235 is wrong
    });
}

TEST_F(Bench, WarmResetReturnsToMasterFile) {
    ASSERT_EQ(swOf(c.send("00A4080C0450155031")), 0x9000);
    ASSERT_EQ(swOf(c.send("00B0000004")), 0x9000);
    ASSERT_EQ(c.reconnect(SCARD_RESET_CARD), SCARD_S_SUCCESS);
    c.steps({{"00B0000004", 0x6986}, {"00A4020C025031", 0x6A82}, {"00A4020C022F00", 0x9000}});
}

TEST_F(Bench, ResetByAnotherClientIsReported) {
    ASSERT_EQ(swOf(c.send("00A4020C022F00")), 0x9000);
    {
        Client other;
        ASSERT_EQ(other.connect(), SCARD_S_SUCCESS);
        ASSERT_EQ(other.reconnect(SCARD_RESET_CARD), SCARD_S_SUCCESS);
    }
    Bytes r;
    EXPECT_EQ(c.raw(hex("00B0000004"), r), static_cast<LONG>(SCARD_W_RESET_CARD));
    ASSERT_EQ(c.reconnect(SCARD_LEAVE_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(swOf(c.send("00B0000004")), 0x6986); // the reset lost the selection
}

TEST_F(Bench, RemovalIsSeenAsAbsentCard) {
    ASSERT_EQ(VcardCtl("stop"), 0);
    Bytes r;
    const LONG rc = c.raw(hex("00B0000004"), r);
    EXPECT_TRUE(rc == static_cast<LONG>(SCARD_W_REMOVED_CARD) ||
                rc == static_cast<LONG>(SCARD_E_NO_SMARTCARD))
        << std::hex << rc;
    SCARD_READERSTATE rs{};
    const std::string reader = Env("IAS_TEST_READER");
    rs.szReader = reader.c_str();
    rs.dwCurrentState = SCARD_STATE_UNAWARE;
    ASSERT_EQ(SCardGetStatusChange(c.ctx, 0, &rs, 1), SCARD_S_SUCCESS);
    EXPECT_TRUE(rs.dwEventState & SCARD_STATE_EMPTY);
    Client late;
    EXPECT_EQ(late.connect(), static_cast<LONG>(SCARD_E_NO_SMARTCARD));
    ASSERT_EQ(VcardCtl("start"), 0); // back in for whatever runs next
    EXPECT_EQ(late.connect(), SCARD_S_SUCCESS);
}

} // namespace
