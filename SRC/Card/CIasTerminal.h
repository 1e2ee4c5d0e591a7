#ifndef CARD_CIASTERMINAL_H
#define CARD_CIASTERMINAL_H

#include "Card/CZazTerminal.h"

namespace IAS {

/// A terminal that serialises every process and thread using the same reader:
/// a named semaphore ("IASTERM_SEM_" + reader name) across processes, a
/// recursive mutex within the process, and a PC/SC transaction held while the
/// lock is. The lock nests; the outermost release ends the transaction.
class CIasTerminal : public CZazTerminal {
public:
    explicit CIasTerminal(const std::string& readerName);
    /// The lock record (semaphore, mutex) belongs to this terminal alone.
    CIasTerminal& operator=(const CIasTerminal&) = delete;

    /// Every exchange runs inside one reader lock with a transaction.
    void transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                  const ZAZ::ByteVectorBase& data, std::uint32_t le, ZAZ::ByteVector& responseData,
                  std::uint16_t& sw) override;

    /// Takes the reader lock; without withoutTransaction also opens a PC/SC
    /// transaction if none is open. Other threads wait until the matching
    /// outermost release.
    void acquireLock(bool withoutTransaction);
    /// Releases one level; the outermost ends the transaction and the semaphore.
    void releaseLock();

    int lockDepth() const;
    bool inTransaction() const;

    /// Scoped reader lock.
    class Lock {
    public:
        explicit Lock(CIasTerminal& terminal, bool withoutTransaction = false);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        CIasTerminal& m_terminal;
    };

private:
    struct LockRecord;
    ias::Owned<LockRecord> m_lock;
};

} // namespace IAS

#endif
