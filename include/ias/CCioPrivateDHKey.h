#ifndef IAS_CCIOPRIVATEDHKEY_H
#define IAS_CCIOPRIVATEDHKEY_H

#include <ias/CCiaPath.h>
#include <ias/CCioKeyInfo.h>
#include <ias/CCioPrivateKey.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioPrivateKey;
}

namespace ias {

/// A private Diffie-Hellman key (choice() 1); its domain parameters are the key info's raw
/// parameters. Failures throw CIASException.
class IAS_API CCioPrivateDHKey : public CCioPrivateKey {
public:
    /// Owns an object without attributes.
    CCioPrivateDHKey();
    /// Decodes one PrKDF element and owns the result.
    explicit CCioPrivateDHKey(const CBlob& der);
    /// Presents `object`, an internal object of this class (used by the library: a
    /// directory file passes a view of one of its own objects).
    explicit CCioPrivateDHKey(const Owned<IAS::CCioPrivateKey>& object);

    /// The internal object presented.
    IAS::CCioObject* getPrivateObject() const override;
    /// The path of the key on the card.
    CCiaPath value() const;
    /// A copy; null when absent.
    CCioKeyInfo keyInfo() const;

private:
    Owned<IAS::CCioPrivateKey> m_impl;
};

} // namespace ias

#endif
