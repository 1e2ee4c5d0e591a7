#ifndef CIA_CCIOPRIVATEKEY_H
#define CIA_CCIOPRIVATEKEY_H

#include "Cia/CCioCredentialIdentifier.h"
#include "Cia/CCioKey.h"
#include "Cia/CCioObjectFactory.h"

#include <vector>

namespace IAS {

/// The base type of the PrKDF: a key with the private-key subclass
/// attributes (name, keyIdentifiers [0], generalName [1]).
class CCioPrivateKey : public CCioKey {
public:
    ~CCioPrivateKey() override;

    /// A SEQUENCE of the members that are present, in table order.
    ZAZ::ByteVector encodeSubClassAttributes() const override;

    /// The complete encoding of the Name; empty when absent.
    ZAZ::ByteVector name() const;
    /// In file order; empty when absent.
    const std::vector<CCioCredentialIdentifier>& keyIdentifiers() const;
    /// The complete encoding, tag [1] included; empty when absent.
    ZAZ::ByteVector generalName() const;

protected:
    CCioPrivateKey();
    /// Decodes the frame, class and, when present, subclass attributes in `der`.
    explicit CCioPrivateKey(const CCioFrame& frame);
    CCioPrivateKey(const CCioPrivateKey&) = default;
    CCioPrivateKey& operator=(const CCioPrivateKey&) = default;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

/// The private-key kinds: PrivateRSAKey (-1) and PrivateDHKey (1) decoded, EC, DSA, KEA and
/// generic ones known (CioKinds.cpp).
template <> const std::vector<CioKind<CCioPrivateKey>>& CioKinds<CCioPrivateKey>::all();
template <> const char* const CioKinds<CCioPrivateKey>::kInvalid;

} // namespace IAS

#endif
