#ifndef CARD_CCARD_H
#define CARD_CCARD_H

#include "Card/CCardCommand.h"
#include "Card/CCardResponse.h"

#include <ias/Owned.h>

#include <cstdint>

namespace IAS {

class CTerminal;

/// The command layer's card object: command chaining for long data fields,
/// the GET RESPONSE loop on 61xx, and IsoException for every other status word
/// but 9000. A card still answering 61xx after 256 GET RESPONSE rounds is "An
/// unknown error occurred.". Does not own its terminal: copies share it.
class CCard {
public:
    CCard();
    explicit CCard(CTerminal* terminal);
    virtual ~CCard() = default;

    /// Warm reset through the terminal; "An unknown error occurred." without one.
    virtual void reset();
    /// Exchange without expected response data (no Le).
    virtual CCardResponse transmit(const CCardCommand& command);
    /// Exchange expecting up to 256 response bytes.
    virtual CCardResponse transmitExpectingData(const CCardCommand& command);
    /// Exchange with an 8-bit Le; 0 means 256.
    virtual CCardResponse transmit(const CCardCommand& command, std::uint8_t le);

    /// Opens a PC/SC transaction through the terminal, counting nested ones
    /// (the outermost calls onOutermostTransaction); "An unknown error
    /// occurred." without a terminal.
    void beginTransaction();
    /// Closes one level through the terminal.
    void endTransaction();
    /// Transactions opened through this object and not yet closed.
    int transactionDepth() const;

    /// A transaction for one scope, opened only when the card object holds
    /// none (an open one is reused). Left by an exception it ends quietly.
    class Transaction {
    public:
        explicit Transaction(CCard& card);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        /// Ends the transaction if this scope opened it; its failure is thrown.
        void end();

    private:
        CCard& m_card;
        bool m_own = false;
    };

    /// 1..256, else "Illegal parameter in function call.".
    void setMaxResponseLength(int n);
    int maxResponseLength() const;
    CTerminal* terminal() const;
    std::uint8_t cla() const;

    /// VERIFY (INS 20, P1 00); the card's status word surfaces as IsoException.
    void verify(std::uint8_t reference, const ZAZ::ByteVectorBase& pin);
    /// CHANGE REFERENCE DATA (INS 24).
    void changeReferenceData(std::uint8_t p1, std::uint8_t reference,
                             const ZAZ::ByteVectorBase& data);
    /// RESET RETRY COUNTER (INS 2C).
    void resetRetryCounter(std::uint8_t p1, std::uint8_t reference,
                           const ZAZ::ByteVectorBase& data);

protected:
    /// Called as the outermost transaction opens.
    virtual void onOutermostTransaction() {}
    /// One logical exchange; le is 0 (absent) or 1..256. A final status word
    /// equal to `endWarning` (when not 0) is returned with its data, not raised.
    CCardResponse exchange(const CCardCommand& command, std::uint32_t le,
                           std::uint16_t endWarning = 0);

private:
    struct Record;
    ias::Owned<Record> m_record;
};

} // namespace IAS

#endif
