#ifndef ASN1_CENUM_H
#define ASN1_CENUM_H

#include "Asn1/CInteger.h"

namespace IASSCU {

/// ENUMERATED view: read like an INTEGER, always carried as universal 10.
class CEnum : public CInteger {
public:
    /// The empty element 0A 00, like CInteger().
    CEnum();
    explicit CEnum(std::int32_t value);
    explicit CEnum(const CDerOctet& element);
};

} // namespace IASSCU

#endif
