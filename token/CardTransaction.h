#ifndef TOKEN_CARDTRANSACTION_H
#define TOKEN_CARDTRANSACTION_H

#include <ias/CIASCard.h>
#include <ias/CIASException.h>

namespace token {

/// Keeps other applications off the card for a sequence that must reach it
/// whole (a walk, a PIN's DF and then VERIFY, a SELECT and its READ BINARYs),
/// and lets the library trust its file selection for that long, so no file is
/// selected twice. A card that refuses the transaction still gets the
/// sequence, as any application's would.
class CardTransaction {
public:
    explicit CardTransaction(ias::CIASCard& card) : m_card(card) {
        try {
            card.beginTransaction();
            m_open = true;
        } catch (const ias::CIASException&) {
        }
    }
    ~CardTransaction() {
        try {
            if (m_open) {
                m_card.endTransaction();
            }
        } catch (const ias::CIASException&) {
        }
    }
    CardTransaction(const CardTransaction&) = delete;
    CardTransaction& operator=(const CardTransaction&) = delete;

private:
    ias::CIASCard& m_card;
    bool m_open = false;
};

} // namespace token

#endif
