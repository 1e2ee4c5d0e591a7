#include "Zaz/SemaphoreLock.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"
#include "Zaz/Synchronize.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/TracePoint.h"

#include <string>

namespace ZAZ {

SemaphoreLock::SemaphoreLock(Synchronize* synchronize) : m_synchronize(synchronize) {
    if (m_synchronize == nullptr || SYS_SemaphoreLock(m_synchronize->GetId()) != 0) {
        m_synchronize = nullptr;
        throw CardFrameworkException(Msg::kSemaphoreLocking);
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
        Trace(SEV_ERROR, LVL_ERROR, "SemaphoreLock", __LINE__, "~SemaphoreLock", [] {
            return std::string("ERROR\t~SemaphoreLock:\t") + Msg::kSemaphoreUnlocking + "\n";
        });
    }
}

void SemaphoreLock::Release() {
    if (m_synchronize == nullptr) {
        return;
    }
    const int id = m_synchronize->GetId();
    m_synchronize = nullptr;
    if (SYS_SemaphoreUnlock(id) != 0) {
        throw CardFrameworkException(Msg::kSemaphoreUnlocking);
    }
}

} // namespace ZAZ
