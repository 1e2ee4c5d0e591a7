#include "Zaz/SharedMemory.h"
#include "TestSupport.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Synchronize.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/SysSharedMemory.h"

#include "ProcessHelpers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sem.h>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace testsupport;

namespace {

using ZAZ::SharedMemory;

class SharedMemoryTest : public ::testing::Test {
protected:
    std::string name = UniqueName("IAS_TEST_SHM");
    std::string objectName = SYS_shm_object_name(name.c_str());
    void TearDown() override { shm_unlink(objectName.c_str()); } // what a failure left
};

TEST_F(SharedMemoryTest, CreatorGetsZeroedBoundedDataAfterRandomHeaderAndCountOne) {
    // The object's name: a truncated upper-case SHA-1 of the name.
    EXPECT_EQ(SYS_shm_object_name(""), "/DA39A3EE5E6B4B0D3255BFEF9560");
    EXPECT_EQ(SYS_shm_object_name("abc"), "/A9993E364706816ABA3E25717850");
    SharedMemory memory;
    EXPECT_EQ(failureOf([&] { memory.GetBuffer(0); }), "Shared memory is not opened.");
    EXPECT_EQ(failureOf([&] { memory[0]; }), "Shared memory is not opened.");
    memory.Connect(name, 100);
    ASSERT_TRUE(memory.IsConnected());
    EXPECT_EQ(memory.GetUseCount(), 1u);
    const unsigned char* data = memory.GetBuffer(0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(data, data + 100), std::vector<unsigned char>(100, 0));

    const int fd = shm_open(objectName.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    struct stat info;
    ASSERT_EQ(fstat(fd, &info), 0);
    EXPECT_EQ(info.st_size, 68 + 100);
    const auto* bytes =
        static_cast<const unsigned char*>(mmap(nullptr, 168, PROT_READ, MAP_SHARED, fd, 0));
    close(fd);
    ASSERT_NE(bytes, MAP_FAILED);
    EXPECT_NE(std::vector<unsigned char>(bytes, bytes + 64), std::vector<unsigned char>(64, 0));
    std::uint32_t counter = 0;
    std::memcpy(&counter, bytes + 64, 4);
    EXPECT_EQ(counter, 1u);
    munmap(const_cast<unsigned char*>(bytes), 168);
    for (long index : {0L, 99L, 100L, -1L, 1L << 40}) { // access stays inside the data
        const bool inside = index >= 0 && index < 100;
        EXPECT_EQ(memory.GetBuffer(index), inside ? data + index : nullptr) << index;
        EXPECT_EQ(memory[index], inside ? data + index : nullptr) << index;
    }
    memory.Disconnect();
    EXPECT_FALSE(SharedMemory::Exists(name));
}

TEST_F(SharedMemoryTest, BufferAccessStaysInsideTheData) {
    SharedMemory memory;
    EXPECT_EQ(failureOf([&] { memory.GetBuffer(0); }), "Shared memory is not opened.");
    EXPECT_EQ(failureOf([&] { memory[0]; }), "Shared memory is not opened.");
    memory.Connect(name, 16);
    unsigned char* first = memory.GetBuffer(0);
    for (long index : {0L, 15L, 16L, -1L, 1L << 40}) {
        const bool inside = index >= 0 && index < 16;
        EXPECT_EQ(memory.GetBuffer(index), inside ? first + index : nullptr) << index;
        EXPECT_EQ(memory[index], inside ? first + index : nullptr) << index;
    }
    SharedMemory larger; // the segment keeps its creator's 16 bytes
    larger.Connect(name, 64);
    EXPECT_NE(larger.GetBuffer(15), nullptr);
    EXPECT_EQ(larger.GetBuffer(16), nullptr);
}

// Two processes see each other's bytes with the counter at 2; whichever
// leaves last removes the object.
TEST_F(SharedMemoryTest, ProcessesShareBytesKeepTheCountAndTheLastRemoves) {
    for (bool parentLeavesFirst : {false, true}) {
        SCOPED_TRACE(parentLeavesFirst ? "parent leaves first" : "child leaves first");
        auto memory = std::make_unique<SharedMemory>();
        memory->Connect(name, 32);
        std::memcpy(memory->GetBuffer(0), "parent", 6);
        Pipe toParent;
        Pipe toChild;
        const pid_t child = StartChild([&] {
            SharedMemory mine;
            mine.Connect(name, 32);
            if (std::memcmp(mine.GetBuffer(0), "parent", 6) != 0 || mine.GetUseCount() != 2) {
                return 1;
            }
            std::memcpy(mine.GetBuffer(10), "child", 5);
            toParent.Send();
            toChild.Receive();
            const bool mustRemove = mine.GetUseCount() == 1;
            mine.Disconnect();
            return SharedMemory::Exists(name) != mustRemove ? 0 : 2;
        });
        ASSERT_TRUE(toParent.Receive());
        EXPECT_EQ(std::memcmp(memory->GetBuffer(10), "child", 5), 0);
        EXPECT_EQ(memory->GetUseCount(), 2u);
        if (parentLeavesFirst) {
            memory.reset();
            EXPECT_TRUE(SharedMemory::Exists(name));
        }
        toChild.Send();
        EXPECT_EQ(WaitChild(child), 0);
        if (!parentLeavesFirst) {
            EXPECT_TRUE(SharedMemory::Exists(name));
            EXPECT_EQ(memory->GetUseCount(), 1u);
            memory->Disconnect();
        }
        EXPECT_FALSE(SharedMemory::Exists(name));
    }
    // Concurrent opens and closes keep the count.
    SharedMemory memory;
    memory.Connect(name, 4);
    Pipe start; // closed by the parent so that all children run at once
    std::vector<pid_t> children;
    for (int i = 0; i < 3; ++i) {
        children.push_back(StartChild([&] {
            start.CloseWrite();
            start.Receive();
            for (int round = 0; round < 3000; ++round) {
                SYS_shm_handle* handle = SYS_shm_get(name.c_str());
                if (handle == nullptr || SYS_shm_delete(handle) != 0) {
                    return 1;
                }
            }
            return 0;
        }));
    }
    start.CloseWrite();
    for (pid_t child : children) {
        EXPECT_EQ(WaitChild(child), 0);
    }
    EXPECT_EQ(memory.GetUseCount(), 1u);
}

// Two processes that both found no segment: the second creator must join the
// first's, not reset it under a live user; and the umask, which the host's
// other threads create files with, is never changed to get the mode 0777.
TEST_F(SharedMemoryTest, CreationIsExclusiveAndLeavesTheUmaskAlone) {
    SharedMemory first;
    first.Connect(name, 8);
    errno = 0;
    SYS_shm_handle* second = SYS_shm_create(name.c_str(), 8);
    EXPECT_TRUE(second == nullptr && errno == EEXIST);
    SYS_shm_delete(second);
    EXPECT_EQ(first.GetUseCount(), 1u);
    first.Disconnect();
    const mode_t previous = umask(022);
    const std::string file = "/tmp/" + UniqueName("ias-umask");
    std::atomic<int> widened(0);
    std::atomic<bool> stop(false);
    std::thread creator([&] {
        while (!stop) {
            struct stat info;
            close(open(file.c_str(), O_CREAT | O_WRONLY, 0666));
            widened += stat(file.c_str(), &info) == 0 && (info.st_mode & 0777) != 0644 ? 1 : 0;
            unlink(file.c_str());
        }
    });
    for (int i = 0; i < 3000; ++i) {
        first.Connect(name, 8);
        struct stat info;
        ASSERT_EQ(stat(("/dev/shm" + objectName).c_str(), &info), 0);
        ASSERT_EQ(info.st_mode & 0777, 0777u);
        first.Disconnect();
    }
    stop = true;
    creator.join();
    umask(previous);
    EXPECT_EQ(widened, 0);
}

// A segment or semaphore the process may not open (another account's, mode
// 0600) fails at once; root checks it as nobody, others with mode 0.
TEST_F(SharedMemoryTest, ForeignSegmentOrSemaphoreFailsAtOnce) {
    const bool root = getuid() == 0;
    const std::string semaphore = UniqueName("IAS_TEST_SEM");
    close(shm_open(objectName.c_str(), O_RDWR | O_CREAT, root ? 0600 : 0));
    const int id = semget(SYS_SemaphoreKey(semaphore.c_str()), 1, IPC_CREAT | (root ? 0600 : 0));
    const pid_t child = StartChild([&] {
        alarm(10); // a hang fails the test
        if (root && setuid(65534) != 0) {
            return 1;
        }
        SharedMemory memory;
        const std::string segment = failureOf([&] { memory.Connect(name, 8); });
        const std::string other = failureOf([&] { ZAZ::Synchronize s(semaphore); });
        return segment == "Unable to get shared memory. SYS_shm_create()/SYS_shm_get() failed." &&
                       other == "Unable to initialize semaphore."
                   ? 0
                   : 2;
    });
    EXPECT_EQ(WaitChild(child), 0);
    semctl(id, 0, IPC_RMID);
}

TEST_F(SharedMemoryTest, LeftoverSegmentIsJoinedOrRebuilt) {
    // Empty or too short for header and counter: a creator killed before or
    // during ftruncate; a use count left at 0 by a killed user.
    for (off_t length : {0, 10, 68 + 8}) {
        SCOPED_TRACE(length);
        const int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, length), 0);
        close(fd);
        SharedMemory memory;
        memory.Connect(name, 8);
        EXPECT_EQ(memory.GetUseCount(), 1u);
        EXPECT_EQ(memory.Created(), length < 68); // rebuilt, or joined
        ASSERT_NE(memory.GetBuffer(7), nullptr);
        EXPECT_EQ(*memory.GetBuffer(7), 0);
        memory.Disconnect();
        EXPECT_FALSE(SharedMemory::Exists(name)); // a joiner is the last user
    }
    EXPECT_EQ(SYS_shm_delete(nullptr), -1);
}

} // namespace
