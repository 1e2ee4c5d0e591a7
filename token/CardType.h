// IAS ECC or IAS, decided on the walk's own connection: the card's IAS
// application in EF.DIR (AID E8 28 BD 08 0F ...) and the object identifier
// EF.ATR/INFO carries under tag 78. ias::IASGetVersion decides the same on a
// second connection of its own; clients that hold one use this instead.
#ifndef TOKEN_CARDTYPE_H
#define TOKEN_CARDTYPE_H

#include "token/Token.h"

namespace token {

class CardType {
public:
    enum Kind { Unknown, Ias, IasEcc };

    /// Reads EF.ATR/INFO (2F01) when EF.DIR, as `t` read it, lists an IAS
    /// application; Unknown without one, or when EF.ATR/INFO cannot be read
    /// (a card that refuses it is no card this library recognises). Sends
    /// nothing when EF.DIR lists no IAS application.
    static Kind probe(ias::CIASCard& card, const Token& t);
    /// "IAS ECC", "IAS", or "" for Unknown.
    static const char* name(Kind k);
};

} // namespace token

#endif
