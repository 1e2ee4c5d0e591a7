#ifndef CIA_CCIOAUTHREFERENCE_H
#define CIA_CCIOAUTHREFERENCE_H

#include "Asn1/CDerOctet.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>

namespace IAS {

/// AuthReference: the authentication method bits and the security
/// environment they apply in (-1 when not given).
class CCioAuthReference {
public:
    /// authMethod 0, seIdentifier -1.
    CCioAuthReference();
    explicit CCioAuthReference(const ZAZ::ByteVectorBase& der);
    explicit CCioAuthReference(const IASSCU::CDerOctet& element);

    /// Replaces the fields with those of `element`; on failure they stay.
    void decode(const IASSCU::CDerOctet& element);
    ZAZ::ByteVector encode() const;

    std::uint32_t authMethod() const;
    std::int32_t seIdentifier() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
