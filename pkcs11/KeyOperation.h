// One signature or decryption in progress in a session: the host's share of
// the work (hashing, DigestInfo) and the commands that make the card do the
// rest with the key.
#ifndef PKCS11_KEYOPERATION_H
#define PKCS11_KEYOPERATION_H

#include "KeyUse.h"

#include <ias/CIASCard.h>

#include <memory>

namespace p11 {

class KeyOperation {
public:
    enum class Kind { Sign, Decrypt };

    KeyOperation(Kind kind, std::shared_ptr<const KeyUse> key, const KeyUse::Mechanism& mechanism,
                 CK_OBJECT_HANDLE handle);
    ~KeyOperation();
    KeyOperation(const KeyOperation&) = delete;
    KeyOperation& operator=(const KeyOperation&) = delete;

    Kind kind() const { return m_kind; }
    const KeyUse& key() const { return *m_key; }
    CK_OBJECT_HANDLE handle() const { return m_handle; }
    /// The largest result: the modulus length.
    CK_ULONG resultLength() const { return m_key->modulusBytes; }

    /// C_SignUpdate: hash-and-sign mechanisms only (CKR_FUNCTION_NOT_SUPPORTED
    /// for CKM_RSA_PKCS, which signs one whole DigestInfo).
    CK_RV update(const unsigned char* data, CK_ULONG length);
    bool updated() const { return m_updated; }
    /// The card's input for a single-part signature over `data`, or for the
    /// data given to update (data null). Picks the card algorithm too (a
    /// DigestInfo given to a key that hashes on the card names its hash).
    CK_RV prepare(const unsigned char* data, CK_ULONG length, token::Bytes& input);

    /// The commands for the prepared input, the key's DF already selected:
    /// MSE SET, then PSO HASH + COMPUTE DIGITAL SIGNATURE or INTERNAL
    /// AUTHENTICATE. A status word other than 9000 ends in `sw`.
    CK_RV sign(ias::CIASCard& card, const token::Bytes& input, token::Bytes& signature,
               unsigned short& sw) const;
    /// MSE SET, then PSO DECIPHER chained in pieces the library can send.
    CK_RV decipher(ias::CIASCard& card, const token::Bytes& cryptogram, token::Bytes& plain,
                   unsigned short& sw) const;

    /// The index of the PIN the key needs (CardObjects::pins()), -1: none.
    int pin = -1;
    /// A context-specific login waiting to be verified with the operation.
    token::Bytes contextPin;
    bool contextLogin = false;
    /// A result the caller's buffer could not take yet (C_Decrypt).
    token::Bytes pending;
    bool hasPending = false;

private:
    Kind m_kind;
    std::shared_ptr<const KeyUse> m_key;
    KeyUse::Mechanism m_mechanism;
    const KeyUse::Mechanism* m_card = nullptr; ///< the algorithm the card is told
    CK_OBJECT_HANDLE m_handle;
    struct Digest;
    std::unique_ptr<Digest> m_digest;
    bool m_updated = false;
};

} // namespace p11

#endif
