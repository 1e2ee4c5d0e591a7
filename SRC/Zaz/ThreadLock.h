#ifndef ZAZ_THREADLOCK_H
#define ZAZ_THREADLOCK_H

namespace ZAZ {

class ThreadSynchronize;

/// Holds a ThreadSynchronize mutex from construction to destruction.
class ThreadLock {
public:
    explicit ThreadLock(ThreadSynchronize* threadSynchronize);
    virtual ~ThreadLock();

    ThreadLock(const ThreadLock&) = delete;
    ThreadLock& operator=(const ThreadLock&) = delete;

private:
    ThreadSynchronize* m_threadSynchronize;
};

} // namespace ZAZ

#endif
