// CIasTerminal's reader lock, and the probe and loads that rest on it, over
// the fake client library.
#include "FakePcsc.h"

#include "TestSupport.h"

#include "Card/CIasTerminal.h"
#include "Zaz/PCSCException.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/TempConfigRoot.h"

#include <ias/ias.h>

#include <gtest/gtest.h>

#include <sys/sem.h>
#include <sys/syscall.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
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
    std::atomic<bool> released(false), sentAfterRelease(false);
    std::atomic<pid_t> tid(0);
    std::thread other;
    {
        IAS::CIasTerminal::Lock held(t);
        other = std::thread([&] {
            tid = static_cast<pid_t>(syscall(SYS_gettid));
            t.send();
            sentAfterRelease = released.load();
        });
        // Until the kernel shows the other thread asleep: waiting for the lock.
        std::string state;
        for (int i = 0; i < 5000 && state != "S"; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
            std::string skip;
            std::getline(stat, skip, ')'); // pid (comm)
            stat >> state;
        }
        EXPECT_EQ(state, "S");
        EXPECT_TRUE(g_fake.sent.empty());
        released = true;
    }
    other.join();
    EXPECT_TRUE(sentAfterRelease);
    EXPECT_EQ(g_fake.sent.size(), 1u);
    EXPECT_EQ(g_fake.beginCalls, 2); // its own transaction
}

namespace {
// A card in a reader of this process's own, recognised as "Fake" (ATR 3B 00),
// serving transparent files by identifier: a SELECT whose data ends with one
// selects it (3F00, the MF, holds nothing) and answers its FCP when asked.
class FakeCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_root.Write("atr.cnf", "Card: Fake\nAtr: 3B00\nAtrMask: FFFF\n");
        FakePcsc::Reset();
        g_fake.eventState = SCARD_STATE_PRESENT;
        g_fake.eventAtr = {0x3B, 0x00};
    }
    void TearDown() override {
        if (m_context != nullptr) {
            m_card.reset();
            EXPECT_EQ(ias::IASFinalize(m_context), ias::IAS_S_OK);
        }
        for (const char* prefix : {"OBJLIST_SEM_", "SHMARKER_SEM_", "IASTERM_SEM_"}) {
            semctl(semaphore(prefix), 0, IPC_RMID);
        }
        FakePcsc::Reset();
    }
    int semaphore(const char* prefix) const {
        return semget(SYS_SemaphoreKey((prefix + m_reader).c_str()), 1, 0);
    }
    // `onRead` runs as the card answers a READ BINARY of file `fid`. When
    // `m_intruder` is set, another client selects that file after every
    // command sent outside a transaction, as pcscd would let it.
    void serve(std::function<void(unsigned fid)> onRead = nullptr) {
        g_fake.respond = [this, onRead](const std::vector<unsigned char>& c) {
            std::vector<unsigned char> answer;
            const auto file = m_files.find(m_selected);
            if (c[1] == 0xA4 && c.size() > 6) {
                m_selected = c[3 + c[4]] << 8 | c[4 + c[4]];
                const auto f = m_files.find(m_selected);
                if (c[3] == 0x04 && f != m_files.end()) {
                    const auto size = static_cast<unsigned char>(f->second.size());
                    const auto high = static_cast<unsigned char>(f->second.size() >> 8);
                    answer = {0x62, 0x07, 0x82, 0x01, 0x01, 0x80, 0x02, high, size};
                }
            } else if (c[1] == 0xB0 && file != m_files.end()) {
                const std::size_t offset =
                    std::min<std::size_t>(c[2] << 8 | c[3], file->second.size());
                const std::size_t count = std::min<std::size_t>(c[4], file->second.size() - offset);
                answer.assign(file->second.begin() + offset, file->second.begin() + offset + count);
                if (onRead) {
                    onRead(m_selected);
                }
            }
            answer.insert(answer.end(), {0x90, 0x00});
            m_held.push_back(g_fake.beginCalls > g_fake.endCalls);
            if (m_intruder != 0 && g_fake.beginCalls == g_fake.endCalls) {
                m_selected = m_intruder;
            }
            return answer;
        };
    }
    void connect() {
        ASSERT_EQ(ias::IASInitialize(&m_context), ias::IAS_S_OK);
        ASSERT_EQ(ias::IASConnectA(m_context, &m_reader[0], *m_card), ias::IAS_S_OK);
        g_fake.sent.clear();
        m_held.clear();
    }
    std::vector<std::string> sent() const {
        std::vector<std::string> out;
        for (const auto& c : g_fake.sent) {
            out.push_back(ZAZ::ByteVector::ToHex(c.data(), c.size()));
        }
        return out;
    }

    TempConfigRoot m_root;
    std::string m_reader = "Fake card " + std::to_string(getpid());
    // EF.DIR with an IAS application.
    std::map<unsigned, std::vector<unsigned char>> m_files = {
        {0x2F00, {0x61, 0x08, 0x4F, 0x06, 0xE8, 0x28, 0xBD, 0x08, 0x0F, 0x01}}};
    unsigned m_selected = 0x3F00;
    unsigned m_intruder = 0;
    std::vector<bool> m_held; // whether a transaction held the card, a command each
    void* m_context = nullptr;
    std::unique_ptr<ias::CIASCard> m_card{new ias::CIASCard};
};
} // namespace

// A probe whose reader lock could not be given back (its semaphore went away
// during the last read) must not report success.
TEST_F(FakeCardTest, ProbeFailsWhenItsReaderLockCannotBeReleased) {
    m_files[0x2F01] = {0x78, 0x08, 0x06, 0x06, 0x2B, 0x81, 0x22, 0xF8, 0x78, 0x02};
    serve([this](unsigned fid) {
        if (fid == 0x2F01) {
            semctl(semaphore("IASTERM_SEM_"), 0, IPC_RMID);
        }
    });
    ias::IasVersion version = 7;
    EXPECT_EQ(failureOf([&] { ias::IASGetVersion(&m_reader[0], version); }),
              "Semaphore unlocking error.");
    EXPECT_EQ(version, 7u);
}

// The version probe over real EF.ATR/INFO captures: what it reports, and the
// APDUs it spends (the MF, then each file selected with its FCP and read whole
// with Le its size).
TEST_F(FakeCardTest, ProbeReportsTheVersionOfRealEfAtrCaptures) {
    serve();
    for (const char* capture : {"fr-cpx-issue2223/ef-atr-2f01.hex", // leading 80
                                "iasecc-dual-id-one-cosmo-pr2281/ef-atr-2f01.hex"}) {
        SCOPED_TRACE(capture);
        g_fake.sent.clear();
        const ZAZ::ByteVector atr = realCard(capture);
        m_files[0x2F01].assign(atr.data(), atr.data() + atr.size());
        ias::IasVersion version = 7;
        EXPECT_EQ(ias::IASGetVersion(&m_reader[0], version), ias::IAS_S_OK);
        EXPECT_EQ(version, ias::IAS_VERSION_IASECC);
        const auto le = static_cast<unsigned char>(atr.size());
        EXPECT_EQ(sent(),
                  (std::vector<std::string>{"00 A4 00 0C 02 3F 00 00 ", "00 A4 02 04 02 2F 00 00 ",
                                            "00 B0 00 00 0A ", "00 A4 02 04 02 2F 01 00 ",
                                            "00 B0 00 00 " + ZAZ::ByteVector::ToHex(&le, 1)}));
    }
}

// Another client selecting its own file whenever no transaction holds the
// card: between open() and load(), and between the chunks of a load. The load
// still returns this file whole, every command of it inside one transaction.
TEST_F(FakeCardTest, LoadReturnsItsOwnFileWhateverAnotherClientSelects) {
    std::vector<unsigned char> own(300);
    for (std::size_t i = 0; i < own.size(); ++i) {
        own[i] = static_cast<unsigned char>(i);
    }
    m_files[0x5031] = own;
    m_files[0x5032] = std::vector<unsigned char>(300, 0xEE);
    m_intruder = 0x5032;
    serve();
    connect();
    ias::CCiaPath path;
    path.setEfidOrPath(ias::_HB("3F005031"));
    ias::CCiaFile file(*m_card, path);
    g_fake.sent.clear();
    m_held.clear();
    file.load();
    const ias::CBlob content = file;
    EXPECT_EQ(ZAZ::ByteVector::ToHex(content.data(), content.size()),
              ZAZ::ByteVector::ToHex(own.data(), own.size()));
    EXPECT_EQ(m_held, std::vector<bool>(4, true));
    EXPECT_EQ(sent(),
              (std::vector<std::string>{"00 A4 00 0C 02 3F 00 00 ", "00 A4 02 0C 02 50 31 00 ",
                                        "00 B0 00 00 E7 ", "00 B0 00 E7 45 "}));
}

// A PIN command of more than one piece: no other application's command can
// come between its pieces, nor between the last and the PIN overwrite.
TEST_F(FakeCardTest, ChainedPinCommandGoesOutInOneTransaction) {
    serve();
    connect();
    const int begins = g_fake.beginCalls;
    m_card->verify(0x81, ias::CBlob(std::string(300, '1')));
    EXPECT_EQ(m_held, std::vector<bool>(3, true)); // two pieces and the overwrite
    EXPECT_EQ(g_fake.beginCalls, begins + 1);
}
