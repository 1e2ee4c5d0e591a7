#ifndef ZAZ_PCSCWRAPPER_H
#define ZAZ_PCSCWRAPPER_H

#include "Zaz/ByteVector.h"
#include "Zaz/PackedStringList.h"
#include "Zaz/ReaderStatus.h"

#include <winscard.h>

#include <string>
#include <vector>

namespace ZAZ {

/// The library's only door to the PC/SC client library: one context and at
/// most one card connection. Operations return 0 or throw (PCSCException,
/// PCSCResetException, SCardCommException); none of them returns a PC/SC
/// failure code. The order of the virtual operations is part of the interface.
class PCSCWrapper {
public:
    PCSCWrapper() = default;
    PCSCWrapper(const PCSCWrapper&) = delete;
    PCSCWrapper& operator=(const PCSCWrapper&) = delete;
    virtual ~PCSCWrapper();

    virtual bool OwnsHandle() const = 0;
    /// Establishes a context of its own if needed and connects to the reader.
    virtual unsigned long Connect(const std::string& readerName, DWORD shareMode,
                                  DWORD preferredProtocols) = 0;
    /// Connects through the caller's context, which the wrapper then holds.
    virtual unsigned long Connect(SCARDCONTEXT context, const std::string& readerName,
                                  DWORD shareMode, DWORD preferredProtocols) = 0;
    /// Takes over an existing connection; the protocol is read from the card.
    virtual unsigned long Attach(SCARDHANDLE cardHandle, bool ownsHandle) = 0;
    virtual unsigned long Attach(SCARDHANDLE cardHandle, SCARDCONTEXT context, DWORD shareMode,
                                 DWORD activeProtocol, bool ownsHandle) = 0;
    /// With release, disconnects an owned handle and releases the context;
    /// either way both are forgotten. Never throws.
    virtual unsigned long Detach(bool release) noexcept = 0;
    virtual SCARDHANDLE GetCardHandle() const = 0;
    virtual SCARDCONTEXT GetContext() const = 0;
    /// Sends one APDU; the response holds what the card answered, SW1 SW2
    /// included, at most maxLength bytes.
    virtual unsigned long Transmit(const ByteVector& command, ByteVector& response,
                                   std::int32_t maxLength) = 0;
    virtual unsigned long Control(DWORD controlCode, const ByteVector& input, ByteVector& output,
                                  std::int32_t maxLength) = 0;
    virtual unsigned long BeginTransaction() = 0;
    virtual unsigned long EndTransaction() = 0;
    virtual unsigned long WarmReset() = 0;
    virtual unsigned long ColdReset() = 0;
    virtual unsigned long Reconnect() = 0;
    /// Reader name, state, protocol and ATR of the connected card.
    virtual unsigned long Status(ReaderStatus& status) = 0;
    virtual DWORD GetActiveProtocol() const = 0;
    /// Every reader PC/SC knows, in its order; no reader is an empty list.
    virtual unsigned long ListReaders(PackedStringList& readers) = 0;
    /// Reads the reader named in `status` and adds SCARD_STATE_ATRMATCH to its
    /// state when "atr.cnf" recognises the card. `cardNames` (a multi-string)
    /// is kept for symmetry with SCardLocateCards and existing callers, but
    /// not consulted. The "Card not recognized" warning and the record dump
    /// both go out at warning severity, level index 1: the configurable logger
    /// has no warning level, and the dump belongs with the warning it explains.
    virtual unsigned long LocateCards(ReaderStatus& status, const std::string& cardNames) = 0;
    /// State, protocol and ATR of the reader named in `status`, without waiting.
    virtual unsigned long GetReaderStatus(ReaderStatus& status) = 0;
    /// Waits up to `timeoutMs` for any of `in` to leave its given state. `out`
    /// receives one entry per reader with its new state and ATR. False on time-out.
    virtual bool GetStatusChange(const std::vector<ReaderStatus>& in,
                                 std::vector<ReaderStatus>& out, DWORD timeoutMs) = 0;
    /// The entry for `readerName`, or an empty record carrying that name.
    virtual ReaderStatus FindReaderStatus(const std::vector<ReaderStatus>& list,
                                          const std::string& readerName) = 0;
    /// Updates the entry with the same reader name (true) or appends one (false).
    virtual bool StoreReaderStatus(const ReaderStatus& status, std::vector<ReaderStatus>& list) = 0;
    /// The "atr.cnf" name of the connected card, or "" when none matches.
    virtual std::string GetSmartCardName() = 0;
    /// Like GetStatusChange on a short-lived context of its own; each entry's
    /// state goes in as the known state and comes back as the new one. A
    /// time-out is a failure here.
    virtual unsigned long GetReaderStatusChange(std::vector<ReaderStatus>& states,
                                                DWORD timeoutMs) = 0;
};

} // namespace ZAZ

#endif
