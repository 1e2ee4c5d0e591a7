#include "Zaz/SharedMemory.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/SysSharedMemory.h"

#include "ProcessHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <vector>

namespace {

using ZAZ::SharedMemory;

class SharedMemoryTest : public ::testing::Test {
protected:
    std::string name = UniqueName("IAS_TEST_SHM");

    // Whatever a failing test left behind goes.
    void TearDown() override { shm_unlink(SYS_shm_object_name(name.c_str()).c_str()); }

    static std::string MessageOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const ZAZ::CardFrameworkException& e) {
            return e.message();
        }
        return "(no exception)";
    }
};

TEST(SharedMemoryNameTest, ObjectNameIsTruncatedUpperCaseSha1) {
    const struct {
        const char* name;
        const char* objectName;
    } cases[] = {
        {"", "/DA39A3EE5E6B4B0D3255BFEF9560"},
        {"abc", "/A9993E364706816ABA3E25717850"},
        {"SHMARKER_MAP_Reader 0", nullptr},
    };
    for (const auto& c : cases) {
        const std::string objectName = SYS_shm_object_name(c.name);
        EXPECT_EQ(objectName.size(), 29u);
        EXPECT_EQ(objectName[0], '/');
        EXPECT_EQ(objectName.find_first_not_of("0123456789ABCDEF", 1), std::string::npos);
        if (c.objectName != nullptr) {
            EXPECT_EQ(objectName, c.objectName);
        }
    }
    EXPECT_NE(SYS_shm_object_name("a"), SYS_shm_object_name("b"));
}

TEST_F(SharedMemoryTest, CreatorGetsZeroedDataRandomHeaderAndCountOne) {
    SharedMemory memory;
    EXPECT_FALSE(memory.IsConnected());
    EXPECT_FALSE(SharedMemory::Exists(name));
    memory.Connect(name, 100);
    ASSERT_TRUE(memory.IsConnected());
    EXPECT_TRUE(SharedMemory::Exists(name));
    EXPECT_EQ(memory.GetSize(), 100u);
    EXPECT_EQ(memory.GetUseCount(), 1u);
    const unsigned char* data = memory.GetBuffer(0);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::vector<unsigned char>(data, data + 100), std::vector<unsigned char>(100, 0));

    // The object itself: 68 + size bytes, random header, counter at 64.
    const std::string objectName = SYS_shm_object_name(name.c_str());
    const int fd = shm_open(objectName.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    struct stat info;
    ASSERT_EQ(fstat(fd, &info), 0);
    EXPECT_EQ(info.st_size, 168);
    void* raw = mmap(nullptr, 168, PROT_READ, MAP_SHARED, fd, 0);
    close(fd);
    ASSERT_NE(raw, MAP_FAILED);
    const auto* bytes = static_cast<const unsigned char*>(raw);
    EXPECT_NE(std::vector<unsigned char>(bytes, bytes + 64), std::vector<unsigned char>(64, 0));
    std::uint32_t counter = 0;
    std::memcpy(&counter, bytes + 64, 4);
    EXPECT_EQ(counter, 1u);
    EXPECT_EQ(bytes + 68 - static_cast<const unsigned char*>(raw), 68);
    munmap(raw, 168);

    memory.Disconnect();
    EXPECT_FALSE(memory.IsConnected());
    EXPECT_FALSE(SharedMemory::Exists(name));
}

TEST_F(SharedMemoryTest, BufferAccessStaysInsideTheData) {
    SharedMemory memory;
    EXPECT_EQ(MessageOf([&] { memory.GetBuffer(0); }), "Shared memory is not opened.");
    EXPECT_EQ(MessageOf([&] { memory[0]; }), "Shared memory is not opened.");
    memory.Connect(name, 16);
    unsigned char* first = memory.GetBuffer(0);
    ASSERT_NE(first, nullptr);
    const struct {
        long index;
        bool inside;
    } cases[] = {{0, true}, {15, true}, {16, false}, {-1, false}, {1L << 40, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(memory.GetBuffer(c.index), c.inside ? first + c.index : nullptr);
        EXPECT_EQ(memory[c.index], c.inside ? first + c.index : nullptr);
    }
    memory.Disconnect();
    EXPECT_EQ(MessageOf([&] { memory.GetBuffer(0); }), "Shared memory is not opened.");
}

TEST_F(SharedMemoryTest, TwoProcessesShareBytesAndCount) {
    SharedMemory memory;
    memory.Connect(name, 32);
    std::memcpy(memory.GetBuffer(0), "parent", 6);

    Pipe toParent;
    Pipe toChild;
    const pid_t child = StartChild([&] {
        SharedMemory mine;
        mine.Connect(name, 32);
        if (std::memcmp(mine.GetBuffer(0), "parent", 6) != 0) {
            return 1;
        }
        if (mine.GetUseCount() != 2) {
            return 2;
        }
        std::memcpy(mine.GetBuffer(10), "child", 5);
        toParent.Send();
        toChild.Receive(); // the parent has checked
        mine.Disconnect();
        return 0;
    });
    ASSERT_GT(child, 0);
    ASSERT_TRUE(toParent.Receive());
    EXPECT_EQ(std::memcmp(memory.GetBuffer(10), "child", 5), 0);
    EXPECT_EQ(memory.GetUseCount(), 2u);
    toChild.Send();
    EXPECT_EQ(WaitChild(child), 0);

    // The child left first: the segment stays for the parent.
    EXPECT_TRUE(SharedMemory::Exists(name));
    EXPECT_EQ(memory.GetUseCount(), 1u);
    memory.Disconnect();
    EXPECT_FALSE(SharedMemory::Exists(name));
}

TEST_F(SharedMemoryTest, LastOfTwoProcessesRemovesTheSegment) {
    Pipe toParent;
    Pipe toChild;
    const pid_t child = StartChild([&] {
        SharedMemory mine;
        mine.Connect(name, 8);
        *mine.GetBuffer(7) = 0x5A;
        toParent.Send();
        toChild.Receive(); // the parent has left
        const bool stillThere = SharedMemory::Exists(name);
        mine.Disconnect();
        return stillThere && !SharedMemory::Exists(name) ? 0 : 1;
    });
    ASSERT_GT(child, 0);
    ASSERT_TRUE(toParent.Receive());
    {
        SharedMemory memory;
        memory.Connect(name, 8);
        EXPECT_EQ(*memory.GetBuffer(7), 0x5A); // an opener leaves the data alone
        EXPECT_EQ(memory.GetUseCount(), 2u);
    } // the destructor disconnects
    toChild.Send();
    EXPECT_EQ(WaitChild(child), 0);
    EXPECT_FALSE(SharedMemory::Exists(name));
}

TEST_F(SharedMemoryTest, ConcurrentOpenAndCloseKeepTheCount) {
    SharedMemory memory;
    memory.Connect(name, 4);
    constexpr int kChildren = 3;
    constexpr int kRounds = 300;
    std::vector<pid_t> children;
    for (int i = 0; i < kChildren; ++i) {
        children.push_back(StartChild([&] {
            for (int round = 0; round < kRounds; ++round) {
                SYS_shm_handle* handle = SYS_shm_get(name.c_str());
                if (handle == nullptr || SYS_shm_delete(handle) != 0) {
                    return 1;
                }
            }
            return 0;
        }));
    }
    for (pid_t child : children) {
        EXPECT_EQ(WaitChild(child), 0);
    }
    EXPECT_EQ(memory.GetUseCount(), 1u);
    memory.Disconnect();
    EXPECT_FALSE(SharedMemory::Exists(name));
}

TEST_F(SharedMemoryTest, BrokenSegmentsAreNotJoined) {
    const std::string objectName = SYS_shm_object_name(name.c_str());
    const struct {
        const char* what;
        off_t length;
    } cases[] = {
        {"shorter than header and counter", 10},
        {"use count 0 (being removed)", 68 + 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, c.length), 0);
        close(fd);
        EXPECT_EQ(SYS_shm_get(name.c_str()), nullptr);
        SharedMemory memory;
        EXPECT_EQ(MessageOf([&] { memory.Connect(name, 8); }),
                  "Unable to get shared memory. SYS_shm_create()/SYS_shm_get() failed.");
        EXPECT_FALSE(memory.IsConnected());
        EXPECT_EQ(memory.GetSize(), 0u);
        shm_unlink(objectName.c_str());
    }
    EXPECT_EQ(SYS_shm_delete(nullptr), -1);
}

} // namespace
