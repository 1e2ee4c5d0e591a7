// The reader lock of CIasTerminal over the fake client library, whose
// transaction calls can be made to fail.
#include "FakePcsc.h"

#include "Caught.h"

#include "Card/CIasTerminal.h"
#include "Zaz/PCSCException.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <unistd.h>

using IAS::CIasTerminal;

namespace {
// A reader name of this process, so that no other test run shares its semaphore.
std::string ReaderName() {
    return "Fake Reader " + std::to_string(getpid());
}

void Send(CIasTerminal& terminal) {
    ZAZ::ByteVector out;
    std::uint16_t sw = 0;
    terminal.transmit(0x00, 0xB0, 0x00, 0x00, ZAZ::ByteVector(), 1, out, sw);
}
} // namespace

TEST(CIasTerminalTest, TransactionsFollowTheOutermostLock) {
    FakePcsc::Reset();
    CIasTerminal terminal(ReaderName());
    {
        CIasTerminal::Lock outer(terminal, true); // no transaction of its own
        EXPECT_EQ(g_fake.beginCalls, 0);
        Send(terminal); // opens one for the rest of the outer lock
        Send(terminal);
        EXPECT_EQ(terminal.lockDepth(), 1);
        EXPECT_EQ(g_fake.endCalls, 0);
    }
    EXPECT_EQ(g_fake.beginCalls, 1);
    EXPECT_EQ(g_fake.endCalls, 1);

    // A refused transaction (twice: the one retry) releases the semaphore,
    // else the next lock would wait for it.
    g_fake.begin = SCARD_E_SHARING_VIOLATION;
    EXPECT_EQ(PcscCode([&] { Send(terminal); }, typeid(ZAZ::PCSCException)),
              static_cast<unsigned long>(SCARD_E_SHARING_VIOLATION));
    EXPECT_EQ(g_fake.beginCalls, 3);
    EXPECT_FALSE(terminal.inTransaction());
    EXPECT_EQ(terminal.lockDepth(), 0);
    g_fake.begin = SCARD_S_SUCCESS;
    g_fake.end = SCARD_E_SHARING_VIOLATION;
    Send(terminal); // ends without error though the transaction stays open
    EXPECT_EQ(g_fake.endCalls, 3);
    EXPECT_TRUE(terminal.inTransaction());
    Send(terminal); // so no second one is begun
    EXPECT_EQ(g_fake.beginCalls, 4);
}

TEST(CIasTerminalTest, AnotherThreadWaitsForTheOutermostRelease) {
    FakePcsc::Reset();
    CIasTerminal terminal(ReaderName());
    std::atomic<bool> sent(false);
    std::thread other;
    {
        CIasTerminal::Lock held(terminal);
        other = std::thread([&] {
            Send(terminal);
            sent = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_FALSE(sent);
        EXPECT_TRUE(g_fake.sent.empty());
    }
    other.join();
    EXPECT_EQ(g_fake.sent.size(), 1u);
    EXPECT_EQ(g_fake.beginCalls, 2); // the other thread's exchange had a transaction of its own
}
