#ifndef ZAZ_PCSCWRAPPERMICROSOFT_H
#define ZAZ_PCSCWRAPPERMICROSOFT_H

#include "Zaz/PCSCWrapper.h"

namespace ZAZ {

/// The PC/SC wrapper over pcsc-lite's client library. One instance per card
/// connection; the destructor disconnects an owned handle and releases the
/// context.
class PCSCWrapperMicrosoft : public PCSCWrapper {
public:
    PCSCWrapperMicrosoft() = default;
    ~PCSCWrapperMicrosoft() override;

    bool OwnsHandle() const override { return m_ownsHandle; }
    unsigned long Connect(const std::string& readerName, DWORD shareMode,
                          DWORD preferredProtocols) override;
    unsigned long Connect(SCARDCONTEXT context, const std::string& readerName, DWORD shareMode,
                          DWORD preferredProtocols) override;
    unsigned long Attach(SCARDHANDLE cardHandle, bool ownsHandle) override;
    unsigned long Attach(SCARDHANDLE cardHandle, SCARDCONTEXT context, DWORD shareMode,
                         DWORD activeProtocol, bool ownsHandle) override;
    unsigned long Detach(bool release) noexcept override;
    SCARDHANDLE GetCardHandle() const override { return m_cardHandle; }
    SCARDCONTEXT GetContext() const override { return m_context; }
    unsigned long Transmit(const ByteVector& command, ByteVector& response,
                           std::int32_t maxLength) override;
    unsigned long Control(DWORD controlCode, const ByteVector& input, ByteVector& output,
                          std::int32_t maxLength) override;
    unsigned long BeginTransaction() override;
    unsigned long EndTransaction() override;
    unsigned long WarmReset() override;
    unsigned long ColdReset() override;
    /// WarmReset, ColdReset and Reconnect keep the share mode and prefer the
    /// active protocol, or T=0 or T=1 while it is 0 (a reconnect during another
    /// client's reset may write back none).
    unsigned long Reconnect() override;
    /// SCardStatus; while the active protocol is 0 it takes the card's.
    unsigned long Status(ReaderStatus& status) override;
    DWORD GetActiveProtocol() const override { return m_activeProtocol; }
    unsigned long ListReaders(PackedStringList& readers) override;
    unsigned long LocateCards(ReaderStatus& status, const std::string& cardNames) override;
    unsigned long GetReaderStatus(ReaderStatus& status) override;
    bool GetStatusChange(const std::vector<ReaderStatus>& in, std::vector<ReaderStatus>& out,
                         DWORD timeoutMs) override;
    ReaderStatus FindReaderStatus(const std::vector<ReaderStatus>& list,
                                  const std::string& readerName) override;
    bool StoreReaderStatus(const ReaderStatus& status, std::vector<ReaderStatus>& list) override;
    std::string GetSmartCardName() override;
    unsigned long GetReaderStatusChange(std::vector<ReaderStatus>& states,
                                        DWORD timeoutMs) override;

    /// Makes sure the wrapper holds a valid context, establishing a new one
    /// when it has none or the old one went stale.
    void EnsureContext();

    /// Throws for a failed PC/SC result: PCSCResetException for the reset
    /// class (card unpowered or reset, service gone or stopped),
    /// PCSCException for everything else. 0 returns.
    static void ThrowOnError(LONG result);

    /// The result code a bind guard refusal carries.
    static constexpr unsigned long kAlreadyBound = 0xE0100001UL;

    // Raw calls for the library's entry functions, which map results to
    // status codes themselves; they never throw.
    static LONG EstablishContext(SCARDCONTEXT* context) noexcept;
    static LONG ReleaseContext(SCARDCONTEXT context) noexcept;
    static LONG ListReaderNames(SCARDCONTEXT context, char* readers, DWORD* length) noexcept;
    static LONG ReadReaderStates(SCARDCONTEXT context, DWORD timeoutMs, SCARD_READERSTATE* states,
                                 DWORD count) noexcept;

private:
    void BindGuard() const;
    unsigned long ConnectHere(const std::string& readerName, DWORD shareMode,
                              DWORD preferredProtocols);
    unsigned long ReconnectWith(DWORD disposition, const char* function);
    void SendPinOverwrite(unsigned char lc) noexcept;

    DWORD m_shareMode = 0;
    DWORD m_activeProtocol = 0;
    SCARDCONTEXT m_context = 0;
    SCARDHANDLE m_cardHandle = 0;
    bool m_ownsHandle = true;
    unsigned char m_pinChainLc = 0; // longest piece of the PIN command chain under way
};

} // namespace ZAZ

#endif
