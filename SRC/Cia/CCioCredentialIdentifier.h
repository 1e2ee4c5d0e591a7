#ifndef CIA_CCIOCREDENTIALIDENTIFIER_H
#define CIA_CCIOCREDENTIALIDENTIFIER_H

#include "Asn1/CDerOctet.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>

namespace IAS {

/// CredentialIdentifier: the kind of identifier (1 to 9; -1 when not
/// decoded) and the identifier element as encoded.
class CCioCredentialIdentifier {
public:
    CCioCredentialIdentifier();
    explicit CCioCredentialIdentifier(const ZAZ::ByteVectorBase& der);
    /// An idType outside 1 to 9 is "Error encountered while decoding format.".
    explicit CCioCredentialIdentifier(const IASSCU::CDerOctet& element);

    /// Replaces the identifier with the one in `element`; on failure it stays.
    void decode(const IASSCU::CDerOctet& element);
    /// An identifier that was never decoded is "Mandatory data member is missing.".
    ZAZ::ByteVector encode() const;

    std::int32_t idType() const;
    /// The complete encoding of the idValue element.
    ZAZ::ByteVector idValue() const;
    /// The content of an OCTET STRING built around idValue(), which is
    /// idValue() itself: no OCTET STRING header is stripped from the stored element.
    ZAZ::ByteVector octetStringIdValue() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
