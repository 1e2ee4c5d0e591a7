// The reader lock of CIasTerminal over the fake client library.
#include "FakePcsc.h"

#include "TestSupport.h"

#include "Card/CIasTerminal.h"
#include "Zaz/PCSCException.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <unistd.h>

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
    std::atomic<bool> sent(false);
    std::thread other;
    {
        IAS::CIasTerminal::Lock held(t);
        other = std::thread([&] {
            t.send();
            sent = true;
        });
        usleep(100000);
        EXPECT_FALSE(sent);
    }
    other.join();
    EXPECT_EQ(g_fake.sent.size(), 1u);
    EXPECT_EQ(g_fake.beginCalls, 2); // its own transaction
}
