#ifndef ZAZ_THREADSYNCHRONIZE_H
#define ZAZ_THREADSYNCHRONIZE_H

#include <pthread.h>

namespace ZAZ {

/// A recursive in-process mutex, taken through ThreadLock. Should the
/// mutex not be created, locking and unlocking do nothing.
class ThreadSynchronize {
public:
    ThreadSynchronize();
    virtual ~ThreadSynchronize();

    ThreadSynchronize(const ThreadSynchronize&) = delete;
    ThreadSynchronize& operator=(const ThreadSynchronize&) = delete;

    void Lock();
    void Unlock();
    /// The mutex, for log lines; null when it could not be created.
    const pthread_mutex_t* GetMutex() const { return m_mutex; }

private:
    pthread_mutex_t* m_mutex = nullptr;
};

} // namespace ZAZ

#endif
