#ifndef IAS_CZAZTERMINAL_H
#define IAS_CZAZTERMINAL_H

#include "Card/CTerminal.h"

#include <ias/Owned.h>

namespace ZAZ {
class PCSCWrapper;
}

namespace IAS {

/// A terminal over the PC/SC wrapper: encodes short APDUs for T=0 or T=1,
/// retries a failed exchange once after a status refresh, and reconnects when
/// another application has reset the card.
class CZazTerminal : public CTerminal {
public:
    /// No wrapper: every operation fails with "An unknown error occurred.".
    CZazTerminal();
    /// Connects its own wrapper to the reader (shared mode, T=0 or T=1) and owns it.
    explicit CZazTerminal(const std::string& readerName);
    /// Uses the caller's wrapper without owning it.
    explicit CZazTerminal(ZAZ::PCSCWrapper* wrapper);
    /// Drops an owned wrapper, then uses the other terminal's wrapper without
    /// owning it, takes its exchange count and refreshes the status.
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

    /// Called after the terminal reconnected to a card that was reset.
    virtual void onCardReset() {}

    ZAZ::PCSCWrapper* wrapper() const;
    std::uint32_t protocol() const;
    std::uint32_t state() const;

protected:
    /// Reads reader name, state, protocol and ATR; reconnects a reset card.
    void refreshStatus();

private:
    ZAZ::PCSCWrapper& requireWrapper() const;

    struct Record;
    ias::Owned<Record> m_record;
};

} // namespace IAS

#endif
