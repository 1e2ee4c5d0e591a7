#ifndef CIA_CCIOPUBLICKEY_H
#define CIA_CCIOPUBLICKEY_H

#include "Cia/CCioCredentialIdentifier.h"
#include "Cia/CCioKey.h"
#include "Cia/CCioObjectFactory.h"
#include "Cia/CCioUsage.h"

#include <vector>

namespace IAS {

/// The base type of the PuKDF: a key with the public-key subclass attributes
/// (name, trustedUsage [0], generalName [1], keyIdentifiers [2]).
class CCioPublicKey : public CCioKey {
public:
    ~CCioPublicKey() override;

    /// A SEQUENCE of the members that are present, in table order; a null
    /// trustedUsage is left out.
    ZAZ::ByteVector encodeSubClassAttributes() const override;

    /// The complete encoding of the Name; empty when absent.
    ZAZ::ByteVector name() const;
    /// Null when absent.
    const CCioUsage& trustedUsage() const;
    /// The complete encoding, tag [1] included; empty when absent.
    ZAZ::ByteVector generalName() const;
    /// In file order; empty when absent.
    const std::vector<CCioCredentialIdentifier>& keyIdentifiers() const;

protected:
    CCioPublicKey();
    /// Decodes the frame, class and, when present, subclass attributes in `der`.
    explicit CCioPublicKey(const CCioFrame& frame);
    CCioPublicKey(const CCioPublicKey&) = default;
    CCioPublicKey& operator=(const CCioPublicKey&) = default;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

/// The public-key kinds: PublicRSAKey (-1) and PublicDHKey (1) decoded, EC, DSA, KEA and
/// generic ones known (CioKinds.cpp).
template <> const std::vector<CioKind<CCioPublicKey>>& CioKinds<CCioPublicKey>::all();
template <> const char* const CioKinds<CCioPublicKey>::kInvalid;

} // namespace IAS

#endif
