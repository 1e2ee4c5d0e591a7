#ifndef CARD_CZAZTERMINAL_H
#define CARD_CZAZTERMINAL_H

#include "Card/CTerminal.h"

#include <ias/Owned.h>

#include <memory>

namespace ZAZ {
class PCSCWrapper;
}

namespace IAS {

/// A terminal over the PC/SC wrapper: encodes short APDUs, retries a failed
/// exchange or transaction call once after a status refresh, and reconnects
/// when another application has reset the card.
///
/// Encoding: only T=0 is special (no Le beside data, P3 00 on a case-1
/// command); every other protocol, raw or unknown included, gets the plain
/// ISO form, Le beside data too, as the wrapper sends it with the T=1 record.
/// A VERIFY, CHANGE REFERENCE DATA or RESET RETRY COUNTER is sent a second
/// time only when PC/SC refused the first before it reached the card (reset or
/// unpowered card): a PIN try is never spent twice. Its answer without status
/// word is "An unknown error occurred." after a status refresh. A piece of a
/// chain after the first is never sent twice: its failure goes to the caller.
class CZazTerminal : public CTerminal {
public:
    /// No wrapper: every operation fails with "An unknown error occurred.".
    CZazTerminal();
    /// Connects its own wrapper to the reader (shared mode, T=0 or T=1) and owns it.
    explicit CZazTerminal(const std::string& readerName);
    /// A new wrapper connected to the reader, shared, for T=0 or T=1.
    static std::unique_ptr<ZAZ::PCSCWrapper> connect(const std::string& readerName);
    /// Uses the caller's wrapper without owning it.
    explicit CZazTerminal(ZAZ::PCSCWrapper* wrapper);
    /// Drops an owned wrapper, then uses the other terminal's wrapper without
    /// owning it, takes its exchange count and refreshes the status. The reset
    /// count goes up: selections made on the old connection are not trusted.
    CZazTerminal& operator=(const CZazTerminal& other);
    CZazTerminal(const CZazTerminal&) = delete;

    ZAZ::ByteVector atr() override;
    std::string readerName() override;
    void reset() override;
    void beginTransaction() override;
    void endTransaction() override;
    void transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                  const ZAZ::ByteVectorBase& data, std::uint32_t le, ZAZ::ByteVector& responseData,
                  std::uint16_t& sw) override;
    bool supportsSecurePinEntry() const override { return false; }
    bool supportsExtendedLength() const override { return false; }
    std::uint32_t exchangeCount() const override;
    std::uint32_t resetCount() const override;
    void setChainContinues(bool continues) noexcept override;

    /// Called after the terminal reconnected to a card that was reset.
    virtual void onCardReset() {}

    ZAZ::PCSCWrapper* wrapper() const;
    std::uint32_t protocol() const;
    std::uint32_t state() const;

protected:
    /// Reads reader name, state, protocol and ATR; reconnects a reset card,
    /// which must then be powered ("An unknown error occurred." otherwise).
    void refreshStatus();

private:
    ZAZ::PCSCWrapper& requireWrapper() const;

    struct Record;
    ias::Owned<Record> m_record;
};

} // namespace IAS

#endif
