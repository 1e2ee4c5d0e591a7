#include "Zaz/SysSemaphore.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kDefaultMaxAttempts = 5;
constexpr int kDefaultTimeOutSeconds = 30;
constexpr std::size_t kMaxKeyCharacters = 127;
// Key 0 is IPC_PRIVATE, which semget answers with a new unnamed semaphore on
// every call: names that fold to 0 (the empty one, "AAAAAAAA") would neither
// exclude each other nor stop leaking semaphores. They share this key instead.
constexpr key_t kKeyForZeroFold = 0x305A415A;

// Process-wide and rewritten by every SYS_SemaphoreInit while other threads
// may be locking: only ever read or replaced whole, under the mutex.
std::mutex g_settingsMutex;
SYS_SemaphoreSettings g_settings = {kDefaultMaxAttempts, kDefaultTimeOutSeconds};

// The thread of this process that holds, or is breaking into, each
// semaphore. The semaphore's last pid tells processes apart but not threads,
// so without this a stuck thread's late release would free the hold of the
// thread of the same process that broke it.
// Never destroyed: a release may still come from another static's destructor.
std::mutex g_holdersMutex;
std::map<int, std::thread::id>& Holders() {
    static auto* holders = new std::map<int, std::thread::id>;
    return *holders;
}

void SetHolder(int id) {
    std::lock_guard<std::mutex> guard(g_holdersMutex);
    Holders()[id] = std::this_thread::get_id();
}

void ReadSettingsFrom(std::FILE* file, SYS_SemaphoreSettings& settings) {
    char word[256];
    while (std::fscanf(file, "%255s :", word) != EOF) {
        int value = 0;
        if (std::strcmp(word, "SemMaxAttempt") == 0) {
            if (std::fscanf(file, "%d", &value) == 1) {
                settings.maxAttempts = value;
            }
        } else if (std::strcmp(word, "TimeOutDelay") == 0) {
            if (std::fscanf(file, "%d", &value) == 1) {
                settings.timeOutSeconds = value;
            }
        }
    }
}

SYS_SemaphoreSettings CurrentSettings() {
    std::lock_guard<std::mutex> guard(g_settingsMutex);
    return g_settings;
}

/// The settings file is a stream of words; a key is recognised only as
/// "Key :" (blank before the colon) and is followed by a number. Read aside,
/// so that no reader sees the defaults while the file is being read.
void ReadSettings() {
    SYS_SemaphoreSettings read = {kDefaultMaxAttempts, kDefaultTimeOutSeconds};
    std::FILE* file = std::fopen(kSemaphoreSettingsFile, "r");
    if (file != nullptr) {
        ReadSettingsFrom(file, read);
        std::fclose(file);
    }
    std::lock_guard<std::mutex> guard(g_settingsMutex);
    g_settings = read;
}

constexpr std::int64_t kNanos = 1000000000;

std::int64_t MonotonicNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNanos + now.tv_nsec;
}

} // namespace

key_t SYS_SemaphoreKey(const char* name) {
    unsigned char bytes[4] = {0, 0, 0, 0};
    if (name != nullptr) {
        for (std::size_t i = 0; i < kMaxKeyCharacters && name[i] != '\0'; ++i) {
            bytes[i % 4] ^= static_cast<unsigned char>(name[i]);
        }
    }
    key_t key = 0;
    static_assert(sizeof key == sizeof bytes, "System V keys are 32-bit");
    std::memcpy(&key, bytes, sizeof key);
    return key;
}

int SYS_SemaphoreInit(const char* name) {
    const key_t folded = SYS_SemaphoreKey(name);
    const key_t key = folded == IPC_PRIVATE ? kKeyForZeroFold : folded;
    ReadSettings();
    int id = semget(key, 1, 0600);
    if (id >= 0 || errno != ENOENT) {
        return id;
    }
    id = semget(key, 1, IPC_CREAT | IPC_EXCL | 0666);
    if (id < 0) {
        // Another process created it between the two calls: use theirs.
        return errno == EEXIST ? semget(key, 1, 0600) : -1;
    }
    if (semctl(id, 0, SETVAL, 1) < 0) {
        return -1;
    }
    return id;
}

int SYS_SemaphoreLock(int id) {
    const SYS_SemaphoreSettings settings = CurrentSettings();
    sembuf take = {0, -1, SEM_UNDO};
    int retries = 0;
    for (;;) {
        // The deadline is fixed once per wait: a signal resumes the wait with
        // what is left, so signals cannot stretch it past the time-out.
        const std::int64_t deadline = MonotonicNanos() + settings.timeOutSeconds * kNanos;
        int rc = -1;
        for (;;) {
            std::int64_t left = deadline - MonotonicNanos();
            left = left > 0 ? left : 0;
            timespec wait = {static_cast<time_t>(left / kNanos), static_cast<long>(left % kNanos)};
            rc = semtimedop(id, &take, 1, &wait);
            if (rc == 0 || errno != EINTR) {
                break;
            }
            if (left == 0) {
                errno = EAGAIN; // interrupted at the deadline: a time-out
                break;
            }
        }
        if (rc == 0) {
            SetHolder(id);
            return 0;
        }
        if (errno != EAGAIN || retries >= settings.maxAttempts + 1) {
            return -1;
        }
        // The holder kept the semaphore too long: assume it is stuck and
        // break its hold. SETVAL also drops every process's undo record, so
        // neither the stuck holder's exit nor (see Unlock) its late release
        // can add a second unit; it leaves this process as the last one to
        // have touched the semaphore, which the stuck holder's Unlock sees.
        SetHolder(id); // before the stuck holder, if it is a thread of ours, can release
        semctl(id, 0, SETVAL, 1);
        ++retries;
    }
}

int SYS_SemaphoreUnlock(int id) {
    // Only the process that took the semaphore last may give it back: after
    // a forced release that is no longer the stuck holder, whose release
    // would otherwise let a third process in beside the new holder.
    const int last = semctl(id, 0, GETPID);
    if (last < 0) {
        return -1;
    }
    {
        std::lock_guard<std::mutex> guard(g_holdersMutex);
        const auto holder = Holders().find(id);
        if (last != getpid() ||
            (holder != Holders().end() && holder->second != std::this_thread::get_id())) {
            return 0; // the hold was broken and passed on: nothing left to give back
        }
    }
    // Adds the unit only while the semaphore reads 0, in the same step, so
    // that it never counts more than one holder.
    sembuf give[2] = {{0, 0, IPC_NOWAIT}, {0, 1, SEM_UNDO}};
    if (semop(id, give, 2) == 0) {
        return 0;
    }
    return errno == EAGAIN ? 0 : -1; // already free: released twice
}

int SYS_SemaphoreDestroy(int) {
    return 0;
}

SYS_SemaphoreSettings SYS_SemaphoreGetSettings() {
    return CurrentSettings();
}
