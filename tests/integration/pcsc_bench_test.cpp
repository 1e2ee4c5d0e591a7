// The PC/SC bench: a plain pcsc-lite client, no library code, drives
// ias-vcard through pcscd and vpcd (run under scripts/with-vcard). Only what
// the library never sends is here; the card tests check the rest on the wire.
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

bool isIasEcc() {
    return Env("IAS_VCARD_PROFILE").find("iasecc") != std::string::npos;
}

std::uint16_t swOf(const Bytes& r) {
    return r.size() < 2 ? 0 : static_cast<std::uint16_t>(r[r.size() - 2] << 8 | r.back());
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
    bool t0() const { return protocol == SCARD_PROTOCOL_T0; }
    /// Sends the command; a 4-byte case 1 command gets P3 00 under T=0.
    Bytes send(const std::string& command) {
        Bytes cmd = hex(command);
        if (cmd.size() == 4 && t0()) {
            cmd.push_back(0);
        }
        BYTE buf[260];
        DWORD len = sizeof buf;
        const LONG rc = SCardTransmit(card, t0() ? SCARD_PCI_T0 : SCARD_PCI_T1, cmd.data(),
                                      static_cast<DWORD>(cmd.size()), nullptr, buf, &len);
        EXPECT_EQ(rc, SCARD_S_SUCCESS) << command;
        return Bytes(buf, buf + (rc == SCARD_S_SUCCESS ? len : 0));
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

} // namespace
