#ifndef CARD_CTERMINAL_H
#define CARD_CTERMINAL_H

#include "Zaz/ByteVector.h"

#include <cstdint>
#include <string>

namespace IAS {

/// The command layer's view of one reader with a card in it.
class CTerminal {
public:
    virtual ~CTerminal();

    virtual ZAZ::ByteVector atr() = 0;
    virtual std::string readerName() = 0;
    /// Warm reset of the card.
    virtual void reset() = 0;
    virtual void beginTransaction() {}
    virtual void endTransaction() {}
    /// One exchange. le is 0 (no Le) or 1..256; data has fewer than 256 bytes;
    /// responseData receives the response without its status word.
    virtual void transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                          const ZAZ::ByteVectorBase& data, std::uint32_t le,
                          ZAZ::ByteVector& responseData, std::uint16_t& sw) = 0;
    virtual bool supportsSecurePinEntry() const = 0;
    virtual bool supportsExtendedLength() const = 0;
    virtual std::uint32_t exchangeCount() const = 0;
    /// How many times the terminal found the card reset by another application
    /// (or was bound to another connection); what the card had selected is gone.
    virtual std::uint32_t resetCount() const { return 0; }
    /// Set while the exchanges are the pieces of a chained command after its
    /// first: such a piece is never sent again after a failure, since the
    /// card would take it alone for a whole (truncated) command.
    virtual void setChainContinues(bool /*continues*/) noexcept {}
};

} // namespace IAS

#endif
