#ifndef IAS_CCIOPUBLICDHKEY_H
#define IAS_CCIOPUBLICDHKEY_H

#include <ias/CCioKeyInfo.h>
#include <ias/CCioObjectValue.h>
#include <ias/CCioPublicKey.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioPublicKey;
}

namespace ias {

/// A public Diffie-Hellman key (choice() 1); neither key nor parameters are decoded.
/// Failures throw CIASException.
class IAS_API CCioPublicDHKey : public CCioPublicKey {
public:
    /// Owns an object without attributes.
    CCioPublicDHKey();
    /// Decodes one PuKDF element and owns the result.
    explicit CCioPublicDHKey(const CBlob& der);
    /// Presents `object`, an internal object of this class (used by the library: a
    /// directory file passes a view of one of its own objects).
    explicit CCioPublicDHKey(const Owned<IAS::CCioPublicKey>& object);

    /// The internal object presented.
    IAS::CCioObject* getPrivateObject() const override;
    /// Where the key is: a path, a URL or the key itself.
    CCioObjectValue value() const;
    /// A copy; null when absent.
    CCioKeyInfo keyInfo() const;

private:
    Owned<IAS::CCioPublicKey> m_impl;
};

} // namespace ias

#endif
