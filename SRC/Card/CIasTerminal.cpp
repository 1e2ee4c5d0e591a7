#include "Card/CIasTerminal.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"
#include "Zaz/Synchronize.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/ThreadLock.h"
#include "Zaz/ThreadSynchronize.h"
#include "Zaz/TracePoint.h"

namespace IAS {
struct CIasTerminal::LockRecord {
    explicit LockRecord(const std::string& readerName)
        : readerSemaphore("IASTERM_SEM_" + readerName) {}

    bool inTransaction = false;
    int lockDepth = 0;
    ZAZ::Synchronize readerSemaphore;
    ZAZ::ThreadSynchronize threadLock;
};

CIasTerminal::CIasTerminal(const std::string& readerName)
    : CZazTerminal(readerName), m_lock(new LockRecord(readerName)) {}

void CIasTerminal::transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                            const ZAZ::ByteVectorBase& data, std::uint32_t le,
                            ZAZ::ByteVector& responseData, std::uint16_t& sw) {
    Lock lock(*this);
    CZazTerminal::transmit(cla, ins, p1, p2, data, le, responseData, sw);
}

// The mutex is locked once per level and stays locked until the level is
// released, so from the outermost acquire to the outermost release another
// thread of the process waits instead of joining the lock.
void CIasTerminal::acquireLock(bool withoutTransaction) {
    LockRecord& r = *m_lock;
    r.threadLock.Lock();
    try {
        const bool outermost = r.lockDepth == 0;
        if (outermost && ::SYS_SemaphoreLock(r.readerSemaphore.GetId()) != 0) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kSemaphoreLocking);
        }
        if (!r.inTransaction && !withoutTransaction) {
            r.inTransaction = true;
            try {
                beginTransaction();
            } catch (...) {
                r.inTransaction = false;
                if (outermost) {
                    ::SYS_SemaphoreUnlock(r.readerSemaphore.GetId());
                }
                throw;
            }
        }
        ++r.lockDepth;
    } catch (...) {
        r.threadLock.Unlock();
        throw;
    }
}

void CIasTerminal::releaseLock() {
    LockRecord& r = *m_lock;
    ZAZ::ThreadLock guard(&r.threadLock); // the hold of this call
    if (r.lockDepth <= 0) {
        return;
    }
    r.threadLock.Unlock(); // the hold of the level's acquire
    if (--r.lockDepth > 0) {
        return;
    }
    if (r.inTransaction) {
        // A failed end leaves no transaction this object can rely on (a reset
        // card has lost it): the next lock opens a fresh one either way.
        r.inTransaction = false;
        try {
            endTransaction();
        } catch (...) {
            // The card is gone or reset; the semaphore must still be released.
        }
    }
    if (::SYS_SemaphoreUnlock(r.readerSemaphore.GetId()) != 0) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kSemaphoreUnlocking);
    }
}

int CIasTerminal::lockDepth() const {
    return m_lock->lockDepth;
}
bool CIasTerminal::inTransaction() const {
    return m_lock->inTransaction;
}

CIasTerminal::Lock::Lock(CIasTerminal& terminal, bool withoutTransaction) : m_terminal(terminal) {
    m_terminal.acquireLock(withoutTransaction);
}

CIasTerminal::Lock::~Lock() {
    try {
        m_terminal.releaseLock();
    } catch (const ZAZ::CardFrameworkException&) {
        // Already logged when built; a destructor must not throw.
    }
}

} // namespace IAS
