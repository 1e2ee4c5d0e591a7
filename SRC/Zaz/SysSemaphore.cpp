#include "Zaz/SysSemaphore.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/ipc.h>
#include <sys/sem.h>

namespace {

constexpr int kDefaultMaxAttempts = 5;
constexpr int kDefaultTimeOutSeconds = 30;
constexpr std::size_t kMaxKeyCharacters = 127;
// Key 0 is IPC_PRIVATE, which semget answers with a new unnamed semaphore on
// every call: names that fold to 0 (the empty one, "AAAAAAAA") would neither
// exclude each other nor stop leaking semaphores. They share this key instead.
constexpr key_t kKeyForZeroFold = 0x305A415A;

// Process-wide; rewritten by every SYS_SemaphoreInit.
SYS_SemaphoreSettings g_settings = {kDefaultMaxAttempts, kDefaultTimeOutSeconds};

/// The settings file is a stream of words; a key is recognised only as
/// "Key :" (blank before the colon) and is followed by a number.
void ReadSettings() {
    g_settings = {kDefaultMaxAttempts, kDefaultTimeOutSeconds};
    std::FILE* file = std::fopen(kSemaphoreSettingsFile, "r");
    if (file == nullptr) {
        return;
    }
    char word[256];
    while (std::fscanf(file, "%255s :", word) != EOF) {
        int value = 0;
        if (std::strcmp(word, "SemMaxAttempt") == 0) {
            if (std::fscanf(file, "%d", &value) == 1) {
                g_settings.maxAttempts = value;
            }
        } else if (std::strcmp(word, "TimeOutDelay") == 0) {
            if (std::fscanf(file, "%d", &value) == 1) {
                g_settings.timeOutSeconds = value;
            }
        }
    }
    std::fclose(file);
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
    sembuf take = {0, -1, SEM_UNDO};
    int retries = 0;
    for (;;) {
        // The deadline is fixed once per wait: a signal resumes the wait with
        // what is left, so signals cannot stretch it past the time-out.
        const std::int64_t deadline = MonotonicNanos() + g_settings.timeOutSeconds * kNanos;
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
            return 0;
        }
        if (errno != EAGAIN || retries >= g_settings.maxAttempts + 1) {
            return -1;
        }
        // The holder kept the semaphore too long: assume it is stuck and
        // break its hold.
        SYS_SemaphoreUnlock(id);
        ++retries;
    }
}

int SYS_SemaphoreUnlock(int id) {
    sembuf give = {0, 1, SEM_UNDO};
    return semop(id, &give, 1) == 0 ? 0 : -1;
}

int SYS_SemaphoreDestroy(int) {
    return 0;
}

SYS_SemaphoreSettings SYS_SemaphoreGetSettings() {
    return g_settings;
}
