#include "TestSupport.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/SemaphoreLock.h"
#include "Zaz/Synchronize.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/ThreadLock.h"
#include "Zaz/ThreadSynchronize.h"

#include "ProcessHelpers.h"
#include "TempConfigRoot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/sem.h>
#include <thread>

using namespace testsupport;

namespace {

using Clock = std::chrono::steady_clock;
const char* const kFast = "SemMaxAttempt : 2\nTimeOutDelay : 1\n";

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

/// Gives the machine-wide settings file the content (null: no file) while
/// alive, then restores it. An advisory lock keeps parallel test programs apart.
class SemSettingsFile {
public:
    explicit SemSettingsFile(const char* content) {
        m_lock = open("/tmp/ias-test-semcnf.lock", O_CREAT | O_RDWR, 0600);
        flock(m_lock, LOCK_EX);
        const std::filesystem::path file(kSemaphoreSettingsFile);
        m_madeDirectory = std::filesystem::create_directories(file.parent_path());
        m_existed = std::filesystem::exists(file);
        m_old = ReadFile(file);
        std::filesystem::remove(file);
        if (content != nullptr) {
            std::ofstream(file, std::ios::binary) << content;
        }
    }
    ~SemSettingsFile() {
        const std::filesystem::path file(kSemaphoreSettingsFile);
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        if (m_existed) {
            std::ofstream(file, std::ios::binary) << m_old;
        } else if (m_madeDirectory) {
            std::filesystem::remove(file.parent_path(), ignored);
        }
        flock(m_lock, LOCK_UN);
        close(m_lock);
    }

private:
    int m_lock;
    bool m_existed;
    bool m_madeDirectory;
    std::string m_old;
};

/// A semaphore of a unique name, removed from the system at the end.
struct TestSemaphore {
    std::string name = UniqueName("IAS_TEST_SEM");
    int id = -1;
    ~TestSemaphore() { semctl(id, 0, IPC_RMID); }
    int Init(const char* settings = kFast) {
        SemSettingsFile file(settings);
        return id = SYS_SemaphoreInit(name.c_str());
    }
    /// A Synchronize on it; every initialisation rereads the settings.
    std::unique_ptr<ZAZ::Synchronize> Open() const {
        SemSettingsFile file(kFast);
        return std::make_unique<ZAZ::Synchronize>(name);
    }
    int Value() const { return semctl(id, 0, GETVAL); }
};

TEST(SemaphoreSettingsTest, NameFoldsIntoAKeyAndSettingsFileWordsAreRecognised) {
    const struct {
        const char* name;
        unsigned char bytes[4];
    } cases[] = {
        {"", {0, 0, 0, 0}},
        {"ABCD", {0x41, 0x42, 0x43, 0x44}},
        {"ABCDE", {0x41 ^ 0x45, 0x42, 0x43, 0x44}},
        {"AAAAAAAA", {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        key_t expected;
        std::memcpy(&expected, c.bytes, 4);
        EXPECT_EQ(SYS_SemaphoreKey(c.name), expected) << c.name;
    }
    const std::string base(127, 'n'); // only the first 128 characters count
    EXPECT_EQ(SYS_SemaphoreKey((base + "x").c_str()), SYS_SemaphoreKey((base + "y").c_str()));
    EXPECT_NE(SYS_SemaphoreKey((base.substr(1) + "x").c_str()),
              SYS_SemaphoreKey((base.substr(1) + "y").c_str()));
    // The words of the settings file.
    const struct {
        const char* content; // null: no file
        int maxAttempts;
        int timeOut;
    } files[] = {
        {nullptr, 5, 30},
        {kFast, 2, 1},
        {"SemMaxAttempt: 2\nTimeOutDelay: 1\n", 5, 30},
        {"TimeOutDelay :\n\n 7", 5, 7},
        {"Other : 9 SemMaxAttempt : 3", 3, 30},
        {"SemMaxAttempt : x TimeOutDelay : 4", 5, 4},
        {"SemMaxAttempt 8 TimeOutDelay : 2", 8, 2},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.content ? f.content : "(no file)");
        TestSemaphore semaphore;
        ASSERT_GE(semaphore.Init(f.content), 0);
        EXPECT_EQ(SYS_SemaphoreGetSettings().maxAttempts, f.maxAttempts);
        EXPECT_EQ(SYS_SemaphoreGetSettings().timeOutSeconds, f.timeOut);
    }
}

// Other threads lock with the settings while SYS_SemaphoreInit rereads them:
// they must never see the defaults that a reread starts from.
TEST(SemaphoreSettingsTest, RereadIsNeverSeenHalfDone) {
    TestSemaphore semaphore;
    SemSettingsFile file(kFast);
    ASSERT_GE(semaphore.id = SYS_SemaphoreInit(semaphore.name.c_str()), 0);
    std::atomic<bool> stop(false);
    std::thread rereader([&] {
        for (int i = 0; i < 2000; ++i) {
            SYS_SemaphoreInit(semaphore.name.c_str());
        }
        stop = true;
    });
    int defaults = 0;
    while (!stop) {
        defaults += SYS_SemaphoreGetSettings().timeOutSeconds != 1 ? 1 : 0;
    }
    rereader.join();
    EXPECT_EQ(defaults, 0);
}

TEST(SemaphoreTest, InitOnceReleaseNeverPastOneDeadHoldsGoRemovalFails) {
    LoggedConfigRoot root;
    TestSemaphore semaphore;
    const int id = semaphore.Init();
    ASSERT_GE(id, 0);
    EXPECT_EQ(semaphore.Value(), 1);
    EXPECT_EQ(SYS_SemaphoreInit(semaphore.name.c_str()), id);
    EXPECT_EQ(SYS_SemaphoreDestroy(id), 0);
    EXPECT_EQ(semaphore.Value(), 1); // semaphores outlive their users
    ZAZ::Synchronize synchronize(semaphore.name);
    {
        ZAZ::SemaphoreLock lock(&synchronize);
        EXPECT_EQ(semaphore.Value(), 0);
        lock.Release();
        lock.Release();
        EXPECT_EQ(semaphore.Value(), 1);
    }
    // The hold of a dead process is undone at once (SEM_UNDO).
    EXPECT_EQ(WaitChild(StartChild([id] { return SYS_SemaphoreLock(id); })), 0);
    EXPECT_EQ(semaphore.Value(), 1);
    {
        const auto start = Clock::now();
        ZAZ::SemaphoreLock lock(&synchronize);
        EXPECT_LT(SecondsSince(start), 0.9);
        ASSERT_EQ(semctl(id, 0, IPC_RMID), 0); // removed while held: the unlock only logs
    }
    EXPECT_NE(root.Log().find("ERROR\t~SemaphoreLock:\tSemaphore unlocking error.\n"),
              std::string::npos);
    EXPECT_EQ(failureOf([&] { ZAZ::SemaphoreLock lock(&synchronize); }),
              "Semaphore locking error.");
    EXPECT_EQ(failureOf([] { ZAZ::SemaphoreLock lock(nullptr); }), "Semaphore locking error.");
    EXPECT_EQ(SYS_SemaphoreUnlock(id), -1);
}

// The stuck holder is another process, then another thread of this one: its
// late release must not free the semaphore while the breaker holds it.
TEST(SemaphoreTest, StuckHolderIsForciblyReleasedAfterTheTimeOut) {
    for (const bool sameProcess : {false, true}) {
        SCOPED_TRACE(sameProcess ? "thread" : "process");
        TestSemaphore semaphore;
        const int id = semaphore.Init();
        ASSERT_GE(id, 0);
        Pipe held;
        Pipe release;
        const auto holder = [&] {
            held.Send(SYS_SemaphoreLock(id) == 0 ? 'x' : 'f');
            release.Receive(); // comes back after its hold was broken
            held.Send(SYS_SemaphoreUnlock(id) == 0 ? 'r' : 'f');
        };
        std::thread thread;
        pid_t child = -1;
        if (sameProcess) {
            thread = std::thread(holder);
        } else {
            child = StartChild([&] {
                holder();
                pause(); // until killed
                return 0;
            });
        }
        char byte = 0;
        ASSERT_TRUE(held.Receive(&byte));
        ASSERT_EQ(byte, 'x');
        const auto synchronize = semaphore.Open();
        const auto previous = std::signal(SIGALRM, [](int) {}); // signals must not restart the wait
        std::thread interrupter([waiter = pthread_self()] {
            for (int i = 0; i < 8; ++i) { // 1.6 s: a restarted wait would end after 2.6 s
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                pthread_kill(waiter, SIGALRM);
            }
        });
        const auto start = Clock::now();
        {
            ZAZ::SemaphoreLock lock(synchronize.get());
            EXPECT_GE(SecondsSince(start), 0.9);
            EXPECT_LT(SecondsSince(start), 1.9);
            release.Send();
            EXPECT_TRUE(held.Receive(&byte));
            EXPECT_EQ(byte, 'r');
            EXPECT_EQ(semaphore.Value(), 0); // the late release lets no one in beside the breaker
        }
        EXPECT_EQ(semaphore.Value(), 1);
        interrupter.join();
        std::signal(SIGALRM, previous);
        if (sameProcess) {
            thread.join();
        } else {
            kill(child, SIGKILL);
            EXPECT_EQ(WaitChild(child), -1);
            EXPECT_EQ(semaphore.Value(), 1); // nor does its death add a unit
        }
    }
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
    ASSERT_TRUE(taken.Receive());
    const auto synchronize = semaphore.Open();
    const auto start = Clock::now();
    EXPECT_EQ(failureOf([&] { ZAZ::SemaphoreLock lock(synchronize.get()); }),
              "Semaphore locking error.");
    EXPECT_GE(SecondsSince(start), 3.9); // four one-second waits
    EXPECT_LT(SecondsSince(start), 5.5);
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
    auto otherThreadGets = [mutex] {
        int result = -1;
        std::thread([&] {
            result = pthread_mutex_trylock(mutex);
            if (result == 0) {
                pthread_mutex_unlock(mutex);
            }
        }).join();
        return result == 0;
    };
    {
        ZAZ::ThreadLock outer(&synchronize);
        ZAZ::ThreadLock inner(&synchronize); // same thread: no deadlock
        EXPECT_FALSE(otherThreadGets());
    }
    EXPECT_TRUE(otherThreadGets());
    ZAZ::ThreadLock none(nullptr); // a missing mutex is no lock at all
}

} // namespace

TEST(SemaphoreTest, NamesFoldingToKeyZeroShareOneSemaphore) {
    const int id = SYS_SemaphoreInit("AAAAAAAA"); // key 0 would be IPC_PRIVATE
    ASSERT_GE(id, 0);
    EXPECT_EQ(SYS_SemaphoreInit("BBBBBBBB"), id);
    EXPECT_EQ(SYS_SemaphoreInit(""), id);
    semctl(id, 0, IPC_RMID);
}
