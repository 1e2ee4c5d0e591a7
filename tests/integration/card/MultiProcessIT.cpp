// Eight processes share one reader through CIasTerminal's reader lock while a
// plain PC/SC client keeps sending too. Each block of five APDUs, sent inside
// one outer lock, must stay whole in the trace: the semaphore and the
// transaction are both held for the whole block.
#include "CardIT.h"

#include "Card/CIasTerminal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kProcesses = 8;
constexpr int kBlocks = 100;
constexpr int kBlockSize = 5; // 500 APDUs per process

class ProcessesIT : public ::testing::Test {};

/// READ BINARY of one byte of EF.DIR (SFI 30) at offset = process number.
std::string ChildCommand(int child) {
    return "00B09E0" + std::to_string(child) + "01";
}
const char* const kPlainCommand = "00B09D0001"; // EF.ATR, SFI 29

/// The child's exit status: the number of failed APDUs, 255 without a terminal.
/// Every child connects first, reports on `ready` and waits on `go`, so that
/// they really contend for the reader instead of running one after another.
int ChildMain(int child, int ready, int go) {
    try {
        IAS::CIasTerminal terminal(cardit::Reader());
        char token = 'r';
        if (write(ready, &token, 1) != 1 || read(go, &token, 1) != 1) {
            return 254;
        }
        int failures = 0;
        for (int block = 0; block < kBlocks; ++block) {
            usleep(1000); // leaves gaps for the other processes and the plain client
            IAS::CIasTerminal::Lock outer(terminal);
            for (int i = 0; i < kBlockSize; ++i) {
                ZAZ::ByteVector response;
                std::uint16_t sw = 0;
                terminal.transmit(0x00, 0xB0, 0x9E, static_cast<std::uint8_t>(child),
                                  ZAZ::ByteVector(), 1, response, sw);
                failures += (sw == 0x9000 && response.size() == 1) ? 0 : 1;
                failures += terminal.lockDepth() == 1 && terminal.inTransaction() ? 0 : 1;
            }
        }
        return failures > 250 ? 250 : failures;
    } catch (...) {
        return 255;
    }
}

} // namespace

TEST_F(ProcessesIT, EightProcessesShareTheReaderWithoutInterleaving) {
    int ready[2], go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> children;
    for (int child = 0; child < kProcesses; ++child) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            _exit(ChildMain(child, ready[1], go[0]));
        }
        children.push_back(pid);
    }
    close(ready[1]);
    close(go[0]);
    // The plain client takes no reader lock: only the transactions keep it out.
    std::atomic<bool> done{false};
    std::atomic<bool> plainReady{false};
    std::atomic<int> plainSent{0};
    std::thread plain([&] {
        ZAZ::PCSCWrapperMicrosoft wrapper;
        wrapper.Connect(cardit::Reader(), SCARD_SHARE_SHARED, 3);
        for (ZAZ::ByteVector response; !done; usleep(2000)) {
            try {
                wrapper.Transmit(ZAZ::ByteVector(kPlainCommand), response, 258);
                ++plainSent;
                plainReady = true;
            } catch (const ZAZ::CardFrameworkException& e) {
                (void)e; // kept out while a block holds the card: try again
            }
        }
    });
    struct Stop { // an early return must still end the thread
        std::atomic<bool>& done;
        std::thread& thread;
        void now() {
            done = true;
            if (thread.joinable()) {
                thread.join();
            }
        }
        ~Stop() { now(); }
    } stop{done, plain};
    // Wait until the plain client works and every child is connected (or
    // gone: EOF), then start the children together.
    for (int waited = 0; !plainReady && waited < 500; ++waited) {
        usleep(10000);
    }
    char token = 0;
    for (int n = 0; n < kProcesses && read(ready[0], &token, 1) == 1; ++n) {
    }
    const std::string tokens(kProcesses, 'g');
    EXPECT_EQ(write(go[1], tokens.data(), tokens.size()), static_cast<ssize_t>(tokens.size()));
    close(ready[0]);
    close(go[1]);

    for (std::size_t i = 0; i < children.size(); ++i) {
        int status = 0;
        ASSERT_EQ(waitpid(children[i], &status, 0), children[i]);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "process " << i;
    }
    stop.now();

    const std::vector<std::string> commands = cardit::Commands();
    int perChild[kProcesses] = {};
    int plainSeen = 0;
    for (std::size_t i = 0; i < commands.size();) {
        if (commands[i] == kPlainCommand) {
            ++plainSeen;
            ++i;
            continue;
        }
        int child = 0;
        while (child < kProcesses && commands[i] != ChildCommand(child)) {
            ++child;
        }
        ASSERT_LT(child, kProcesses) << "unexpected command " << commands[i];
        for (int k = 0; k < kBlockSize; ++k) {
            ASSERT_LT(i + k, commands.size());
            ASSERT_EQ(commands[i + k], ChildCommand(child)) << "block broken at " << i + k;
        }
        perChild[child] += kBlockSize;
        i += kBlockSize;
    }
    for (int child = 0; child < kProcesses; ++child) {
        EXPECT_EQ(perChild[child], kBlocks * kBlockSize) << "process " << child;
    }
    // Run one after another, the children would change hands kProcesses - 1 times.
    int switches = 0;
    std::string last;
    for (const std::string& command : commands) {
        if (command != kPlainCommand) {
            switches += !last.empty() && command != last ? 1 : 0;
            last = command;
        }
    }
    EXPECT_EQ(plainSeen, plainSent.load());
    EXPECT_GT(plainSent.load(), 0) << "the plain client never got through";
    EXPECT_GE(switches, kProcesses) << "the processes never alternated";
}

// A process killed while it holds the reader lock and the card's transaction:
// the semaphore comes back through SEM_UNDO and pcscd ends the transaction, so
// the next process goes on at once instead of waiting out the time-out.
TEST_F(ProcessesIT, LockHolderKilledReleasesReaderAndCard) {
    int held[2];
    ASSERT_EQ(pipe(held), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        IAS::CIasTerminal terminal(cardit::Reader());
        IAS::CIasTerminal::Lock lock(terminal);
        ZAZ::ByteVector response;
        std::uint16_t sw = 0;
        terminal.transmit(0x00, 0xB0, 0x9D, 0x00, ZAZ::ByteVector(), 1, response, sw);
        char token = terminal.inTransaction() && sw == 0x9000 ? 'h' : 'f';
        if (write(held[1], &token, 1) == 1) {
            pause();
        }
        _exit(1);
    }
    char token = 0;
    ASSERT_EQ(read(held[0], &token, 1), 1);
    EXPECT_EQ(token, 'h');
    kill(holder, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(holder, &status, 0), holder);
    const auto start = std::chrono::steady_clock::now();
    IAS::CIasTerminal terminal(cardit::Reader());
    ZAZ::ByteVector response;
    std::uint16_t sw = 0;
    terminal.transmit(0x00, 0xB0, 0x9D, 0x00, ZAZ::ByteVector(), 1, response, sw);
    EXPECT_EQ(sw, 0x9000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}
