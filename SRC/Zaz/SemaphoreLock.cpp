#include "Zaz/SemaphoreLock.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Synchronize.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/TracePoint.h"

#include <string>

namespace ZAZ {

namespace {
constexpr const char* kUnlockError = "Semaphore unlocking error.";
}

SemaphoreLock::SemaphoreLock(Synchronize* synchronize) : m_synchronize(synchronize) {
    if (m_synchronize == nullptr || SYS_SemaphoreLock(m_synchronize->GetId()) != 0) {
        m_synchronize = nullptr;
        throw CardFrameworkException("Semaphore locking error.");
    }
}

SemaphoreLock::~SemaphoreLock() {
    if (m_synchronize == nullptr) {
        return;
    }
    const int id = m_synchronize->GetId();
    m_synchronize = nullptr;
    if (SYS_SemaphoreUnlock(id) != 0) {
        // Throwing from a destructor would end the process; the semaphore
        // is at worst broken later by a waiter's time-out.
        Trace(SEV_ERROR, LVL_ERROR, "SemaphoreLock", __LINE__, "~SemaphoreLock",
              [] { return std::string("ERROR\t~SemaphoreLock:\t") + kUnlockError + "\n"; });
    }
}

void SemaphoreLock::Release() {
    if (m_synchronize == nullptr) {
        return;
    }
    const int id = m_synchronize->GetId();
    m_synchronize = nullptr;
    if (SYS_SemaphoreUnlock(id) != 0) {
        throw CardFrameworkException(kUnlockError);
    }
}

} // namespace ZAZ
