#ifndef ZAZ_SEMAPHORELOCK_H
#define ZAZ_SEMAPHORELOCK_H

namespace ZAZ {

class Synchronize;

/// Holds a Synchronize semaphore from construction until Release or
/// destruction.
class SemaphoreLock {
public:
    /// Throws CardFrameworkException "Semaphore locking error." when the
    /// semaphore cannot be taken (including after the forced releases).
    explicit SemaphoreLock(Synchronize* synchronize);
    /// A release that fails here is logged at error level, never thrown.
    virtual ~SemaphoreLock();

    SemaphoreLock(const SemaphoreLock&) = delete;
    SemaphoreLock& operator=(const SemaphoreLock&) = delete;

    /// Gives the semaphore back early. Throws CardFrameworkException
    /// "Semaphore unlocking error." on failure; the hold counts as released
    /// either way. Does nothing the second time.
    void Release();

private:
    Synchronize* m_synchronize;
};

} // namespace ZAZ

#endif
