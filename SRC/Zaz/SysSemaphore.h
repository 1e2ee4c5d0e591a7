#ifndef ZAZ_SYSSEMAPHORE_H
#define ZAZ_SYSSEMAPHORE_H

#include <sys/types.h>

// Named System V semaphores used as inter-process mutexes. Holds are taken
// with SEM_UNDO so the kernel gives back the hold of a process that dies; a
// hold kept past the configured time-out by a live process is broken.

/// Where the lock settings are read from on every SYS_SemaphoreInit.
constexpr const char* kSemaphoreSettingsFile = "/etc/Quovanta/sem.cnf";

/// The lock settings currently in force in this process.
struct SYS_SemaphoreSettings {
    int maxAttempts;    // forced releases allowed beyond the first one
    int timeOutSeconds; // length of one wait
};

/// The System V key of a name: up to its first 127 characters XOR-folded
/// into four bytes (character i into byte i mod 4).
key_t SYS_SemaphoreKey(const char* name);

/// Rereads the settings (defaults 5 attempts, 30 seconds, then the settings
/// file) and returns the id of the semaphore for `name`, creating it with the
/// value 1 when absent. Names whose key is 0 share one fixed non-zero key.
/// -1 on failure.
int SYS_SemaphoreInit(const char* name);

/// Takes the semaphore, waiting the configured time. A wait that times out
/// forcibly releases the semaphore (sets it to 1 and voids the stuck holder's
/// hold, its undo record included) and waits again, at most maxAttempts + 1
/// times. A signal does not restart a wait: it goes on until the same
/// deadline. 0 on success, -1 on failure.
int SYS_SemaphoreLock(int id);

/// Gives the semaphore back when this process holds it. A process whose hold
/// was forcibly released, or that already gave it back, changes nothing, so
/// the value never exceeds 1. 0 on success (also then), -1 on failure.
int SYS_SemaphoreUnlock(int id);

/// Semaphores outlive the processes that use them: nothing to do. Returns 0.
int SYS_SemaphoreDestroy(int id);

/// The settings read by the last SYS_SemaphoreInit (or the defaults).
SYS_SemaphoreSettings SYS_SemaphoreGetSettings();

#endif
