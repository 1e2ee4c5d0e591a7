#include "Zaz/ThreadLock.h"

#include "Zaz/ThreadSynchronize.h"
#include "Zaz/TracePoint.h"

#include <cstdio>
#include <string>

namespace ZAZ {

namespace {

void TraceMutex(const char* function, int line, const char* what, const void* mutex) {
    Trace(SEV_DEBUG, LVL_DEBUG, "ThreadLock", line, function, [what, mutex] {
        char text[64];
        std::snprintf(text, sizeof text, "%s %p\n", what, mutex);
        return std::string(text);
    });
}

} // namespace

ThreadLock::ThreadLock(ThreadSynchronize* threadSynchronize)
    : m_threadSynchronize(threadSynchronize) {
    if (m_threadSynchronize == nullptr) {
        return;
    }
    const void* mutex = m_threadSynchronize->GetMutex();
    TraceMutex("ThreadLock", __LINE__, "wait sync lock:", mutex);
    m_threadSynchronize->Lock();
    TraceMutex("ThreadLock", __LINE__, "OK sync lock:", mutex);
}

ThreadLock::~ThreadLock() {
    if (m_threadSynchronize == nullptr) {
        return;
    }
    const void* mutex = m_threadSynchronize->GetMutex();
    TraceMutex("~ThreadLock", __LINE__, "sync unlocking:", mutex);
    m_threadSynchronize->Unlock();
    TraceMutex("~ThreadLock", __LINE__, "OK sync unlock:", mutex);
}

} // namespace ZAZ
