// Faults of a busy, failing PC/SC stack: the card reset by another client in
// the middle of long reads, the daemon restarted under a connected handle.
#include "CardIT.h"

#include "Card/CTerminal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <thread>

namespace {

class FaultIT : public cardit::ConnectedCard {};

const ZAZ::ByteVector kAid("A000000063504B43532D3135");

} // namespace

// Two 2048-byte files read in turn while another client keeps resetting the
// card, whose master file holds files of the same identifiers with other
// bytes: a selection trusted across a reset, or a command sent again after
// one, lands there. Each read returns its own file whole or fails with a
// PC/SC code, and reading works again once the resets stop.
TEST_F(FaultIT, ResetBetweenLongReadsNeverMixesFiles) {
    ZAZ::ByteVector content[2];
    for (int f = 0; f < 2; ++f) {
        cia().selectFile(kAid, ZAZ::ByteVector(f == 0 ? "3401" : "3402"));
        content[f] = cia().readBinary(0, 0, 2048);
    }
    ASSERT_NE(cardit::Hex(content[0]), cardit::Hex(content[1]));
    std::atomic<bool> done{false};
    std::atomic<int> resets{0};
    std::thread resetter([&] {
        ZAZ::PCSCWrapperMicrosoft other;
        other.Connect(cardit::Reader(), SCARD_SHARE_SHARED, 3);
        // Each reset in a transaction of its own: pcscd tells the other handles
        // of a reset before it resets the card, so a transaction of ours that
        // began in between would send commands to a card about to be reset,
        // unknown to this handle, which has already heard of it. No client
        // can tell that apart; the transaction keeps the reset whole.
        for (; !done; std::this_thread::sleep_for(std::chrono::milliseconds(15))) {
            try {
                other.BeginTransaction();
                other.WarmReset();
                ++resets;
            } catch (const ZAZ::CardFrameworkException&) { // reset by us in turn
            }
            try {
                other.EndTransaction();
            } catch (const ZAZ::CardFrameworkException&) { // ended by the reset
            }
        }
    });
    int whole = 0, refused = 0;
    for (int i = 0; i < 300; ++i) {
        const int f = i % 2;
        // In a transaction, as an application makes a sequence its own: the
        // resets land between the transactions.
        struct Transaction {
            IAS::CTerminal& t;
            explicit Transaction(IAS::CTerminal& terminal) : t(terminal) { t.beginTransaction(); }
            ~Transaction() {
                try {
                    t.endTransaction();
                } catch (const ZAZ::CardFrameworkException&) { // reset meanwhile
                }
            }
        };
        try {
            const Transaction transaction(*cia().terminal());
            cia().selectFile(kAid, ZAZ::ByteVector(f == 0 ? "3401" : "3402"));
            EXPECT_EQ(cardit::Hex(cia().readBinary(0, 0, 2048)), cardit::Hex(content[f])) << i;
            ++whole;
        } catch (const ZAZ::IsoException& e) {
            EXPECT_EQ(e.sw(), 0x6986); // reset inside the transaction after all
            ++refused;
        } catch (const ZAZ::CardFrameworkException& e) {
            EXPECT_NE(std::string(e.message()).find("Error code = 0x8010"), std::string::npos)
                << e.message();
            ++refused;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10)); // room for a reset
    }
    done = true;
    resetter.join();
    EXPECT_GE(resets.load(), 5);
    EXPECT_GT(whole, 0);
    std::printf("%d resets: %d reads whole, %d refused\n", resets.load(), whole, refused);
    // This handle may not have heard of the last reset yet: the first read
    // after the resets stop may still name it, the next one has the file.
    std::string last;
    for (int attempt = 0; attempt < 2 && last.empty(); ++attempt) {
        try {
            cia().selectFile(kAid, ZAZ::ByteVector("3402"));
            last = cardit::Hex(cia().readBinary(0, 0, 2048));
        } catch (const ZAZ::CardFrameworkException& e) {
            EXPECT_EQ(attempt, 0) << e.message();
        }
    }
    EXPECT_EQ(last, cardit::Hex(content[1]));
}

// pcscd goes away under a connected handle: calls fail with the PC/SC code,
// nothing hangs; with the daemon back, a new connection works.
TEST_F(FaultIT, PcscdRestartUnderAConnectedHandle) {
    ASSERT_EQ(Send("00A4000C", "3F00", 0), 0x9000);
    pid_t daemon = 0;
    std::ifstream("/run/pcscd/pcscd.pid") >> daemon;
    ASSERT_GT(daemon, 1);
    ASSERT_EQ(kill(daemon, SIGTERM), 0);
    for (int i = 0; i < 100 && kill(daemon, 0) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Without a daemon, and later with a handle the new daemon never gave out.
    auto pcscFailure = [this] {
        try {
            Send("00A4000C", "3F00", 0);
        } catch (const ias::CIASException& e) {
            return std::string(e.descriptionA()).find("0x8010") != std::string::npos;
        }
        return false;
    };
    EXPECT_TRUE(pcscFailure());
    const std::string up = cardit::Env("IAS_TEST_SOURCE_DIR") + "/scripts/pcsc-up";
    ASSERT_EQ(std::system(up.c_str()), 0);
    ASSERT_EQ(cardit::VcardCtl("restart"), 0);
    EXPECT_TRUE(pcscFailure());
    ias::IASFinalize(s_context); // a context of the old daemon
    ASSERT_EQ(ias::IASInitialize(&s_context), ias::IAS_S_OK);
    ias::CIASCard again;
    std::string reader = cardit::Reader();
    ASSERT_EQ(ias::IASConnectA(s_context, &reader[0], again), ias::IAS_S_OK);
    ias::CBlob response;
    unsigned short sw = 0;
    again.sendAPDU(0x00, 0xA4, 0x00, 0x0C, ias::_HB("3F00"), 0, response, sw);
    EXPECT_EQ(sw, 0x9000);
}
