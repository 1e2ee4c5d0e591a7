// Four processes share one reader through CIasTerminal's reader lock while a
// plain PC/SC client keeps sending too. Each block of five APDUs, sent inside
// one outer lock, must stay whole in the trace: the semaphore and the
// transaction are both held for the whole block.
#include "CardIT.h"

#include "Card/CIasTerminal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kProcesses = 4;
constexpr int kBlocks = 40;
constexpr int kBlockSize = 5; // 200 APDUs per process

class ProcessesIT : public ::testing::Test {};

/// READ BINARY of one byte of EF.DIR (SFI 30) at offset = process number.
std::string ChildCommand(int child) {
    return "00B09E0" + std::to_string(child) + "01";
}
const char* const kPlainCommand = "00B09D0001"; // EF.ATR, SFI 29

/// The child's exit status: the number of failed APDUs, 255 without a terminal.
int ChildMain(int child) {
    try {
        IAS::CIasTerminal terminal(cardit::Reader());
        int failures = 0;
        for (int block = 0; block < kBlocks; ++block) {
            usleep(500); // lets the others in between blocks
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
        return failures > 200 ? 200 : failures;
    } catch (...) {
        return 255;
    }
}

} // namespace

TEST_F(ProcessesIT, FourProcessesShareTheReaderWithoutInterleaving) {
    std::vector<pid_t> children;
    for (int child = 0; child < kProcesses; ++child) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            _exit(ChildMain(child));
        }
        children.push_back(pid);
    }

    // The plain client takes no reader lock: only the transactions keep it out.
    std::atomic<bool> done{false};
    int plainSent = 0;
    std::thread plain([&] {
        ZAZ::PCSCWrapperMicrosoft wrapper;
        wrapper.Connect(cardit::Reader(), SCARD_SHARE_SHARED, 3);
        for (ZAZ::ByteVector response; !done; usleep(2000)) {
            try {
                wrapper.Transmit(ZAZ::ByteVector(kPlainCommand), response, 258);
                ++plainSent;
            } catch (const ZAZ::CardFrameworkException&) {
            }
        }
    });
    for (std::size_t i = 0; i < children.size(); ++i) {
        int status = 0;
        ASSERT_EQ(waitpid(children[i], &status, 0), children[i]);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "process " << i;
    }
    done = true;
    plain.join();

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
    int switches = 0;
    for (std::size_t i = 1; i < commands.size(); ++i) {
        switches += commands[i] != commands[i - 1] ? 1 : 0;
    }
    EXPECT_EQ(plainSeen, plainSent);
    EXPECT_GT(plainSent, 0) << "the plain client never got through";
    EXPECT_GT(switches, 2 * kProcesses) << "the processes never alternated";
}
