// The reader lock of CIasTerminal over the fake client library.
#include "FakePcsc.h"

#include "TestSupport.h"

#include "Card/CIasTerminal.h"
#include "Zaz/PCSCException.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/TempConfigRoot.h"

#include <ias/IASEntry.h>

#include <gtest/gtest.h>

#include <sys/sem.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace testsupport;

namespace {
// A reader of this process alone, so that no other test run shares its semaphore.
struct Terminal : IAS::CIasTerminal {
    Terminal() : CIasTerminal((FakePcsc::Reset(), "Fake " + std::to_string(getpid()))) {}
    void send() {
        ZAZ::ByteVector out;
        std::uint16_t sw = 0;
        transmit(0x00, 0xB0, 0x00, 0x00, ZAZ::ByteVector(), 1, out, sw);
    }
};
} // namespace

TEST(CIasTerminalTest, TransactionsFollowTheOutermostLock) {
    Terminal t;
    {
        IAS::CIasTerminal::Lock outer(t, true); // no transaction of its own
        t.send();                               // opens one for the rest of the outer lock
        t.send();
        EXPECT_EQ(g_fake.endCalls, 0);
    }
    EXPECT_EQ(g_fake.beginCalls, 1);
    EXPECT_EQ(g_fake.endCalls, 1);
    // A refused transaction (the one retry too) releases the semaphore, else
    // the next lock would wait for it.
    g_fake.begin = SCARD_E_SHARING_VIOLATION;
    EXPECT_EQ(PcscCode([&] { t.send(); }, typeid(ZAZ::PCSCException)), 0x8010000Bu);
    EXPECT_FALSE(t.inTransaction());
    EXPECT_EQ(t.lockDepth(), 0);
    g_fake.begin = SCARD_S_SUCCESS;
    g_fake.end = SCARD_E_SHARING_VIOLATION;
    t.send(); // a refused end is ignored, and the next lock still opens a transaction
    t.send();
    EXPECT_FALSE(t.inTransaction());
    EXPECT_EQ(g_fake.beginCalls, 5);
}

TEST(CIasTerminalTest, AnotherThreadWaitsForTheOutermostRelease) {
    Terminal t;
    std::atomic<bool> started(false), released(false), sentAfterRelease(false);
    std::thread other;
    {
        IAS::CIasTerminal::Lock held(t);
        other = std::thread([&] {
            started = true;
            t.send();
            sentAfterRelease = released.load();
        });
        while (!started) {
            std::this_thread::yield();
        }
        usleep(100000); // time for the send to go through, were it not held back
        EXPECT_TRUE(g_fake.sent.empty());
        released = true;
    }
    other.join();
    EXPECT_TRUE(sentAfterRelease);
    EXPECT_EQ(g_fake.sent.size(), 1u);
    EXPECT_EQ(g_fake.beginCalls, 2); // its own transaction
}

// A probe whose reader lock could not be given back (its semaphore went away
// during the last read) must not report success.
TEST(CIasTerminalTest, ProbeFailsWhenItsReaderLockCannotBeReleased) {
    TempConfigRoot root;
    root.Write("atr.cnf", "Card: Fake\nAtr: 3B00\nAtrMask: FFFF\n");
    std::string reader = "Fake probe " + std::to_string(getpid());
    const auto semaphore = [&reader](const char* prefix) {
        return semget(SYS_SemaphoreKey((prefix + reader).c_str()), 1, 0);
    };
    FakePcsc::Reset();
    g_fake.eventState = SCARD_STATE_PRESENT;
    g_fake.eventAtr = {0x3B, 0x00};
    // EF.DIR with an IAS application, then EF.ATR/INFO: both selected with
    // their FCP and read whole.
    std::vector<unsigned char> file = {0x61, 0x08, 0x4F, 0x06, 0xE8, 0x28, 0xBD, 0x08, 0x0F, 0x01};
    g_fake.respond = [&](const std::vector<unsigned char>& c) -> std::vector<unsigned char> {
        if (c[1] == 0xA4 && c[3] == 0x04) {
            return {0x62, 0x07, 0x82, 0x01, 0x01, 0x80, 0x02, 0x00, 0x0A, 0x90, 0x00};
        }
        if (c[1] != 0xB0) {
            return {0x90, 0x00};
        }
        std::vector<unsigned char> answer = file;
        answer.insert(answer.end(), {0x90, 0x00});
        if (file[0] == 0x78) {
            semctl(semaphore("IASTERM_SEM_"), 0, IPC_RMID);
        }
        file = {0x78, 0x08, 0x06, 0x06, 0x2B, 0x81, 0x22, 0xF8, 0x78, 0x02};
        return answer;
    };
    ias::IasVersion version = 7;
    EXPECT_EQ(failureOf([&] { ias::IASGetVersion(&reader[0], version); }),
              "Semaphore unlocking error.");
    EXPECT_EQ(version, 7u);
    for (const char* prefix : {"OBJLIST_SEM_", "SHMARKER_SEM_", "IASTERM_SEM_"}) {
        semctl(semaphore(prefix), 0, IPC_RMID);
    }
    FakePcsc::Reset();
}

namespace {
std::vector<unsigned char> CaptureBytes(const std::string& file) {
    std::ifstream in(std::string(std::getenv("IAS_TEST_SOURCE_DIR")) + "/tests/data/realcards/" +
                     file);
    std::string text, word;
    while (in >> word) {
        text += word;
    }
    const ZAZ::ByteVector bytes(text);
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

std::string Hex(const std::vector<unsigned char>& bytes) {
    return ZAZ::ByteVector::ToHex(bytes.data(), bytes.size());
}
} // namespace

// The version probe over a card answering with real EF.ATR/INFO captures: what
// it reports, and the APDUs it spends (the MF, then each file selected with
// its FCP and read whole with Le its size).
TEST(CIasTerminalTest, VersionProbeOnRealEfAtrCaptures) {
    const struct {
        const char* capture;
        ias::IasVersion version;
    } rows[] = {
        {"fr-cpx-issue2223/ef-atr-2f01.hex", ias::IAS_VERSION_IASECC}, // leading 80
        {"iasecc-dual-id-one-cosmo-pr2281/ef-atr-2f01.hex", ias::IAS_VERSION_IASECC},
    };
    TempConfigRoot root;
    root.Write("atr.cnf", "Card: Fake\nAtr: 3B00\nAtrMask: FFFF\n");
    std::string reader = "Fake probe " + std::to_string(getpid());
    const std::vector<unsigned char> dir = {0x61, 0x08, 0x4F, 0x06, 0xE8,
                                            0x28, 0xBD, 0x08, 0x0F, 0x01};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.capture);
        const std::vector<unsigned char> atr = CaptureBytes(row.capture);
        FakePcsc::Reset();
        g_fake.eventState = SCARD_STATE_PRESENT;
        g_fake.eventAtr = {0x3B, 0x00};
        const std::vector<unsigned char>* selected = nullptr;
        g_fake.respond = [&](const std::vector<unsigned char>& c) -> std::vector<unsigned char> {
            if (c[1] == 0xA4 && c[5] == 0x2F) {
                selected = c[6] == 0x00 ? &dir : &atr;
                const auto size = static_cast<unsigned char>(selected->size());
                return {0x62, 0x07, 0x82, 0x01, 0x01, 0x80, 0x02, 0x00, size, 0x90, 0x00};
            }
            std::vector<unsigned char> answer;
            if (c[1] == 0xB0 && selected != nullptr) {
                answer = *selected;
            }
            answer.insert(answer.end(), {0x90, 0x00});
            return answer;
        };
        ias::IasVersion version = 7;
        EXPECT_EQ(ias::IASGetVersion(&reader[0], version), ias::IAS_S_OK);
        EXPECT_EQ(version, row.version);
        std::vector<std::string> sent;
        for (const auto& c : g_fake.sent) {
            sent.push_back(Hex(c));
        }
        const std::string atrLe = Hex({static_cast<unsigned char>(atr.size())});
        EXPECT_EQ(sent,
                  (std::vector<std::string>{"00 A4 00 0C 02 3F 00 00 ", "00 A4 02 04 02 2F 00 00 ",
                                            "00 B0 00 00 0A ", "00 A4 02 04 02 2F 01 00 ",
                                            "00 B0 00 00 " + atrLe}));
    }
    for (const char* prefix : {"OBJLIST_SEM_", "SHMARKER_SEM_", "IASTERM_SEM_"}) {
        semctl(semget(SYS_SemaphoreKey((prefix + reader).c_str()), 1, 0), 0, IPC_RMID);
    }
    FakePcsc::Reset();
}
