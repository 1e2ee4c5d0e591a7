#include "Zaz/ThreadSynchronize.h"

#include <new>

namespace ZAZ {

ThreadSynchronize::ThreadSynchronize() {
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0) {
        return;
    }
    if (pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0) {
        auto* mutex = new (std::nothrow) pthread_mutex_t;
        if (mutex != nullptr && pthread_mutex_init(mutex, &attributes) == 0) {
            m_mutex = mutex;
        } else {
            delete mutex;
        }
    }
    pthread_mutexattr_destroy(&attributes);
}

ThreadSynchronize::~ThreadSynchronize() {
    if (m_mutex != nullptr) {
        pthread_mutex_destroy(m_mutex);
        delete m_mutex;
        m_mutex = nullptr;
    }
}

void ThreadSynchronize::Lock() {
    if (m_mutex != nullptr) {
        pthread_mutex_lock(m_mutex);
    }
}

void ThreadSynchronize::Unlock() {
    if (m_mutex != nullptr) {
        pthread_mutex_unlock(m_mutex);
    }
}

} // namespace ZAZ
