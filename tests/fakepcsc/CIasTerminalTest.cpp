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
#include <functional>
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

namespace {
// A card of this process's own reader, recognised as "Fake", that answers the
// version probe: EF.DIR (2F00) with an IAS application and an EF.ATR/INFO
// (2F01) of the test's choosing, each selected with its FCP.
class ProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root.Write("atr.cnf", "Card: Fake\nAtr: 3B00\nAtrMask: FFFF\n");
        FakePcsc::Reset();
        g_fake.eventState = SCARD_STATE_PRESENT;
        g_fake.eventAtr = {0x3B, 0x00};
    }
    void TearDown() override {
        for (const char* prefix : {"OBJLIST_SEM_", "SHMARKER_SEM_", "IASTERM_SEM_"}) {
            semctl(semaphore(prefix), 0, IPC_RMID);
        }
        FakePcsc::Reset();
    }
    int semaphore(const char* prefix) const {
        return semget(SYS_SemaphoreKey((prefix + m_reader).c_str()), 1, 0);
    }
    // `onAtrRead` runs as the card answers the READ BINARY of EF.ATR/INFO.
    void serve(const ZAZ::ByteVector& atr, std::function<void()> onAtrRead = nullptr) {
        m_atr.assign(atr.begin(), atr.end());
        g_fake.respond = [this, onAtrRead](const std::vector<unsigned char>& c) {
            std::vector<unsigned char> answer;
            if (c[1] == 0xA4 && c[5] == 0x2F) {
                m_selected = c[6] == 0x00 ? &m_dir : &m_atr;
                const auto size = static_cast<unsigned char>(m_selected->size());
                answer = {0x62, 0x07, 0x82, 0x01, 0x01, 0x80, 0x02, 0x00, size};
            } else if (c[1] == 0xB0 && m_selected != nullptr) {
                answer = *m_selected;
                if (m_selected == &m_atr && onAtrRead) {
                    onAtrRead();
                }
            }
            answer.insert(answer.end(), {0x90, 0x00});
            return answer;
        };
    }

    TempConfigRoot m_root;
    std::string m_reader = "Fake probe " + std::to_string(getpid());
    const std::vector<unsigned char> m_dir = {0x61, 0x08, 0x4F, 0x06, 0xE8,
                                              0x28, 0xBD, 0x08, 0x0F, 0x01};
    std::vector<unsigned char> m_atr;
    const std::vector<unsigned char>* m_selected = nullptr;
};
} // namespace

// A probe whose reader lock could not be given back (its semaphore went away
// during the last read) must not report success.
TEST_F(ProbeTest, FailsWhenItsReaderLockCannotBeReleased) {
    serve(ZAZ::ByteVector("78 08 06 06 2B 81 22 F8 78 02"),
          [this] { semctl(semaphore("IASTERM_SEM_"), 0, IPC_RMID); });
    ias::IasVersion version = 7;
    EXPECT_EQ(failureOf([&] { ias::IASGetVersion(&m_reader[0], version); }),
              "Semaphore unlocking error.");
    EXPECT_EQ(version, 7u);
}

// The version probe over real EF.ATR/INFO captures: what it reports, and the
// APDUs it spends (the MF, then each file selected with its FCP and read whole
// with Le its size).
TEST_F(ProbeTest, ReportsTheVersionOfRealEfAtrCaptures) {
    for (const char* capture : {"fr-cpx-issue2223/ef-atr-2f01.hex", // leading 80
                                "iasecc-dual-id-one-cosmo-pr2281/ef-atr-2f01.hex"}) {
        SCOPED_TRACE(capture);
        g_fake.sent.clear();
        m_selected = nullptr;
        const ZAZ::ByteVector atr = realCard(capture);
        serve(atr);
        ias::IasVersion version = 7;
        EXPECT_EQ(ias::IASGetVersion(&m_reader[0], version), ias::IAS_S_OK);
        EXPECT_EQ(version, ias::IAS_VERSION_IASECC);
        std::vector<std::string> sent;
        for (const auto& c : g_fake.sent) {
            sent.push_back(ZAZ::ByteVector::ToHex(c.data(), c.size()));
        }
        const auto le = static_cast<unsigned char>(atr.size());
        EXPECT_EQ(sent,
                  (std::vector<std::string>{"00 A4 00 0C 02 3F 00 00 ", "00 A4 02 04 02 2F 00 00 ",
                                            "00 B0 00 00 0A ", "00 A4 02 04 02 2F 01 00 ",
                                            "00 B0 00 00 " + ZAZ::ByteVector::ToHex(&le, 1)}));
    }
}
