#ifndef IAS_CCIOPRIVATERSAKEY_H
#define IAS_CCIOPRIVATERSAKEY_H

#include <ias/CCiaPath.h>
#include <ias/CCioKeyInfo.h>
#include <ias/CCioPrivateKey.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioPrivateKey;
}

namespace ias {

/// A private RSA key (choice() -1).
/// Failures throw CIASException.
class IAS_API CCioPrivateRSAKey : public CCioPrivateKey {
public:
    /// Owns an object without attributes.
    CCioPrivateRSAKey();
    /// Decodes one PrKDF element and owns the result.
    explicit CCioPrivateRSAKey(const CBlob& der);
    /// Presents `object`, an internal object of this class (used by the library: a
    /// directory file passes a view of one of its own objects).
    explicit CCioPrivateRSAKey(const Owned<IAS::CCioPrivateKey>& object);

    /// The internal object presented.
    IAS::CCioObject* getPrivateObject() const override;
    /// The path of the key on the card.
    CCiaPath value() const;
    /// The modulus length in bits, as stored on the card.
    int modulusLength() const;
    /// A copy; null when absent.
    CCioKeyInfo keyInfo() const;

private:
    Owned<IAS::CCioPrivateKey> m_impl;
};

} // namespace ias

#endif
