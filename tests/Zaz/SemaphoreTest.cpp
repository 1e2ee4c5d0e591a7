#include "Zaz/CardFrameworkException.h"
#include "Zaz/Logger.h"
#include "Zaz/SemaphoreLock.h"
#include "Zaz/Synchronize.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/ThreadLock.h"
#include "Zaz/ThreadSynchronize.h"

#include "ProcessHelpers.h"
#include "TempConfigRoot.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/file.h>
#include <sys/sem.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// Writes the machine-wide semaphore settings file for the length of a test
/// and puts back what was there. Test programs may run in parallel, so the
/// file is also guarded by an advisory lock.
class SemSettingsFile {
public:
    explicit SemSettingsFile(const std::string& content) {
        m_lock = open("/tmp/ias-test-semcnf.lock", O_CREAT | O_RDWR, 0600);
        if (m_lock >= 0) {
            flock(m_lock, LOCK_EX);
        }
        const std::filesystem::path file(kSemaphoreSettingsFile);
        m_createdDirectory = !std::filesystem::exists(file.parent_path());
        std::filesystem::create_directories(file.parent_path());
        if (std::filesystem::exists(file)) {
            m_existed = true;
            std::ifstream in(file, std::ios::binary);
            std::stringstream old;
            old << in.rdbuf();
            m_old = old.str();
        }
        std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
    }
    ~SemSettingsFile() { Restore(); }
    SemSettingsFile(const SemSettingsFile&) = delete;
    SemSettingsFile& operator=(const SemSettingsFile&) = delete;

    void Restore() {
        if (m_restored) {
            return;
        }
        m_restored = true;
        const std::filesystem::path file(kSemaphoreSettingsFile);
        std::error_code ignored;
        if (m_existed) {
            std::ofstream(file, std::ios::binary | std::ios::trunc) << m_old;
        } else {
            std::filesystem::remove(file, ignored);
            if (m_createdDirectory) {
                std::filesystem::remove(file.parent_path(), ignored);
            }
        }
        if (m_lock >= 0) {
            flock(m_lock, LOCK_UN);
            close(m_lock);
        }
    }

private:
    int m_lock = -1;
    bool m_existed = false;
    bool m_createdDirectory = false;
    bool m_restored = false;
    std::string m_old;
};

/// A semaphore of a unique name, removed from the system at the end.
class TestSemaphore {
public:
    TestSemaphore() : m_name(UniqueName("IAS_TEST_SEM")) {}
    ~TestSemaphore() {
        if (m_id >= 0) {
            semctl(m_id, 0, IPC_RMID);
        }
    }
    /// SYS_SemaphoreInit under the given settings file content (null: no file).
    int Init(const char* settings = "SemMaxAttempt : 2\nTimeOutDelay : 1\n") {
        SemSettingsFile file(settings != nullptr ? settings : "");
        if (settings == nullptr) {
            std::filesystem::remove(kSemaphoreSettingsFile);
        }
        m_id = SYS_SemaphoreInit(m_name.c_str());
        return m_id;
    }
    /// A Synchronize on it, built under the same settings (every
    /// initialisation rereads them for the whole process).
    std::unique_ptr<ZAZ::Synchronize>
    Open(const char* settings = "SemMaxAttempt : 2\nTimeOutDelay : 1\n") const {
        SemSettingsFile file(settings);
        return std::make_unique<ZAZ::Synchronize>(m_name);
    }
    const std::string& name() const { return m_name; }
    int id() const { return m_id; }
    int Value() const { return semctl(m_id, 0, GETVAL); }

private:
    std::string m_name;
    int m_id = -1;
};

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ZAZ::CardFrameworkException& e) {
        return e.message();
    }
    return "(no exception)";
}

TEST(SemaphoreKeyTest, NameFoldsIntoFourBytes) {
    const struct {
        const char* name;
        unsigned char bytes[4];
    } cases[] = {
        {"", {0, 0, 0, 0}},
        {"A", {0x41, 0, 0, 0}},
        {"ABCD", {0x41, 0x42, 0x43, 0x44}},
        {"ABCDE", {0x41 ^ 0x45, 0x42, 0x43, 0x44}},
        {"AAAAAAAA", {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        key_t expected;
        std::memcpy(&expected, c.bytes, 4);
        EXPECT_EQ(SYS_SemaphoreKey(c.name), expected);
    }
    const std::string base(127, 'n');
    EXPECT_EQ(SYS_SemaphoreKey((base + "x").c_str()), SYS_SemaphoreKey((base + "y").c_str()));
    EXPECT_NE(SYS_SemaphoreKey((base.substr(1) + "x").c_str()),
              SYS_SemaphoreKey((base.substr(1) + "y").c_str()));
}

TEST(SemaphoreSettingsTest, SettingsFileWordsAreRecognised) {
    const struct {
        const char* content; // null: no file
        int maxAttempts;
        int timeOut;
    } cases[] = {
        {nullptr, 5, 30},
        {"", 5, 30},
        {"SemMaxAttempt : 2\nTimeOutDelay : 1\n", 2, 1},
        {"SemMaxAttempt: 2\nTimeOutDelay: 1\n", 5, 30},
        {"TimeOutDelay :\n\n 7", 5, 7},
        {"Other : 9 SemMaxAttempt : 3", 3, 30},
        {"SemMaxAttempt : x TimeOutDelay : 4", 5, 4},
        {"SemMaxAttempt 8 TimeOutDelay : 2", 8, 2}, // only the word itself counts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content ? c.content : "(no file)");
        TestSemaphore semaphore;
        ASSERT_GE(semaphore.Init(c.content), 0);
        const SYS_SemaphoreSettings settings = SYS_SemaphoreGetSettings();
        EXPECT_EQ(settings.maxAttempts, c.maxAttempts);
        EXPECT_EQ(settings.timeOutSeconds, c.timeOut);
    }
}

TEST(SemaphoreTest, InitCreatesOnceWithValueOne) {
    TestSemaphore semaphore;
    const int id = semaphore.Init();
    ASSERT_GE(id, 0);
    EXPECT_EQ(semaphore.Value(), 1);
    EXPECT_EQ(SYS_SemaphoreInit(semaphore.name().c_str()), id);
    EXPECT_EQ(SYS_SemaphoreLock(id), 0);
    EXPECT_EQ(semaphore.Value(), 0);
    EXPECT_EQ(SYS_SemaphoreUnlock(id), 0);
    EXPECT_EQ(semaphore.Value(), 1);
    EXPECT_EQ(SYS_SemaphoreDestroy(id), 0);
    EXPECT_EQ(semctl(id, 0, GETVAL), 1); // semaphores outlive their users
    {
        ZAZ::Synchronize synchronize(semaphore.name());
        EXPECT_EQ(synchronize.GetId(), id);
        ZAZ::SemaphoreLock lock(&synchronize);
        EXPECT_EQ(semaphore.Value(), 0);
        lock.Release();
        EXPECT_EQ(semaphore.Value(), 1);
        lock.Release(); // a second release must not raise the count past one
        EXPECT_EQ(semaphore.Value(), 1);
    }
    EXPECT_EQ(semaphore.Value(), 1);
}

TEST(SemaphoreTest, OperationsOnARemovedSemaphoreFail) {
    TestSemaphore semaphore;
    ASSERT_GE(semaphore.Init(), 0);
    ZAZ::Synchronize synchronize(semaphore.name());
    {
        ZAZ::SemaphoreLock lock(&synchronize);
        ASSERT_EQ(semctl(semaphore.id(), 0, IPC_RMID), 0);
        EXPECT_EQ(MessageOf([&] { lock.Release(); }), "Semaphore unlocking error.");
    }
    EXPECT_EQ(MessageOf([&] { ZAZ::SemaphoreLock lock(&synchronize); }),
              "Semaphore locking error.");
    EXPECT_EQ(MessageOf([] { ZAZ::SemaphoreLock lock(nullptr); }), "Semaphore locking error.");
    EXPECT_EQ(SYS_SemaphoreUnlock(semaphore.id()), -1);
}

TEST(SemaphoreTest, FailedUnlockInDestructorIsLoggedNotThrown) {
    TempConfigRoot root;
    const std::string logPath = root / "out.log";
    root.Write("LOG/conf", "ZAZ: 1\n");
    root.Write("LOG/ZAZ",
               "Output.Type.TextFile: 1\nOutput.Location: " + logPath + "\nLog.Level.ERROR: 1\n");
    ZAZ::Logger::ResetProcessLoggers();
    TestSemaphore semaphore;
    ASSERT_GE(semaphore.Init(), 0);
    {
        ZAZ::Synchronize synchronize(semaphore.name());
        ZAZ::SemaphoreLock lock(&synchronize);
        ASSERT_EQ(semctl(semaphore.id(), 0, IPC_RMID), 0);
    }
    ZAZ::Logger::ResetProcessLoggers();
    std::ifstream in(logPath);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_NE(content.str().find("ERROR\t~SemaphoreLock:\tSemaphore unlocking error.\n"),
              std::string::npos)
        << content.str();
}

TEST(SemaphoreTest, HoldOfADeadProcessIsReleased) {
    TestSemaphore semaphore;
    const int id = semaphore.Init();
    ASSERT_GE(id, 0);
    const pid_t child = StartChild([id] { return SYS_SemaphoreLock(id) == 0 ? 0 : 1; });
    ASSERT_GT(child, 0);
    EXPECT_EQ(WaitChild(child), 0); // exits holding the semaphore
    EXPECT_EQ(semaphore.Value(), 1);
    const auto synchronize = semaphore.Open();
    const auto start = Clock::now();
    ZAZ::SemaphoreLock lock(synchronize.get());
    EXPECT_LT(SecondsSince(start), 0.9);
}

TEST(SemaphoreTest, StuckHolderIsForciblyReleasedAfterTheTimeOut) {
    TestSemaphore semaphore;
    const int id = semaphore.Init();
    ASSERT_GE(id, 0);
    Pipe held;
    const pid_t child = StartChild([&] {
        if (SYS_SemaphoreLock(id) != 0) {
            return 1;
        }
        held.Send();
        pause(); // holds until killed
        return 0;
    });
    ASSERT_GT(child, 0);
    ASSERT_TRUE(held.Receive());
    const auto synchronize = semaphore.Open();
    const auto start = Clock::now();
    {
        ZAZ::SemaphoreLock lock(synchronize.get());
        const double waited = SecondsSince(start);
        EXPECT_GE(waited, 0.9);
        EXPECT_LT(waited, 1.9);
    }
    kill(child, SIGKILL);
    EXPECT_EQ(WaitChild(child), -1);
}

TEST(SemaphoreTest, HolderThatKeepsRetakingMakesLockingFail) {
    TestSemaphore semaphore;
    const int id = semaphore.Init(); // 2 attempts, 1 second
    ASSERT_GE(id, 0);
    Pipe taken;
    const pid_t child = StartChild([&] {
        sembuf take = {0, -1, SEM_UNDO};
        while (semop(id, &take, 1) == 0) { // retakes after every forced release
            taken.Send();
        }
        return 0;
    });
    ASSERT_GT(child, 0);
    ASSERT_TRUE(taken.Receive());
    const auto synchronize = semaphore.Open();
    const auto start = Clock::now();
    EXPECT_EQ(MessageOf([&] { ZAZ::SemaphoreLock lock(synchronize.get()); }),
              "Semaphore locking error.");
    const double waited = SecondsSince(start);
    EXPECT_GE(waited, 3.9); // four one-second waits
    EXPECT_LT(waited, 5.5);
    kill(child, SIGKILL);
    WaitChild(child);
    taken.CloseWrite();
    int retakes = 0;
    while (taken.Receive()) {
        ++retakes;
    }
    EXPECT_EQ(retakes, 3); // one per forced release
}

TEST(ThreadLockTest, MutexIsRecursiveAndExcludesOtherThreads) {
    ZAZ::ThreadSynchronize synchronize;
    auto* mutex = const_cast<pthread_mutex_t*>(synchronize.GetMutex());
    ASSERT_NE(mutex, nullptr);
    auto otherThreadGets = [mutex] {
        int result = -1;
        std::thread other([&] {
            result = pthread_mutex_trylock(mutex);
            if (result == 0) {
                pthread_mutex_unlock(mutex);
            }
        });
        other.join();
        return result == 0;
    };
    {
        ZAZ::ThreadLock outer(&synchronize);
        {
            ZAZ::ThreadLock inner(&synchronize); // same thread: no deadlock
            EXPECT_FALSE(otherThreadGets());
        }
        EXPECT_FALSE(otherThreadGets());
    }
    EXPECT_TRUE(otherThreadGets());
    ZAZ::ThreadLock none(nullptr); // a missing mutex is no lock at all
}

} // namespace
