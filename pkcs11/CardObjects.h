// The PKCS#11 view of one card's CIA: its user PINs and its objects
// (certificates, public keys, private keys, data objects), built once per
// card insertion from the token layer's walk.
#ifndef PKCS11_CARDOBJECTS_H
#define PKCS11_CARDOBJECTS_H

#include "Attributes.h"
#include "KeyUse.h"
#include "Pin.h"

#include "token/Token.h"

#include <memory>
#include <vector>

namespace p11 {

struct Object {
    CK_OBJECT_HANDLE handle = 0;
    Attributes attrs;
    bool isPrivate = false;    ///< seen only by a session logged in with its PIN
    int pin = -1;              ///< index in CardObjects::pins() of the PIN it needs, -1: none
    bool lazyValue = false;    ///< CKA_VALUE is read from the card when first asked for
    bool readLoggedIn = false; ///< that value was read while a PIN was verified
    /// The card's last refusal of the value (6982 until a login changes
    /// things, or a file that is not there): answered without asking again.
    CK_RV refused = CKR_OK;
    ias::CCioObjectValue value;        ///< a path value, read by Token::objectValue
    std::shared_ptr<const KeyUse> key; ///< a private key the card can use, else null
};

class CardObjects {
public:
    /// Builds the objects of `t`; certificate and public key values are read
    /// from `card` (each once), data object values only when asked for.
    /// Handles are taken from `nextHandle` onwards. Card failures leave out
    /// the object they concern; nothing throws but std::bad_alloc.
    static CardObjects build(ias::CIASCard& card, const token::Token& t,
                             CK_OBJECT_HANDLE& nextHandle);

    /// The user PINs that guard objects, in AODF order (no PUK, no SO PIN).
    const std::vector<Pin>& pins() const { return m_pins; }
    std::vector<Pin>& pins() { return m_pins; }
    std::vector<Object>& objects() { return m_objects; }
    /// Whether any object needs a PIN.
    bool loginRequired() const;

private:
    std::vector<Pin> m_pins;
    std::vector<Object> m_objects;
};

} // namespace p11

#endif
