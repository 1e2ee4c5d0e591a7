#ifndef ASN1_CINTEGER_H
#define ASN1_CINTEGER_H

#include "Asn1/CDerOctet.h"

#include <cstdint>

namespace IASSCU {

/// INTEGER view over at most four content bytes (universal 2; 10 is accepted
/// too, and an implicit tag is replaced by universal 2).
class CInteger : public CDerOctet {
public:
    /// The empty element 02 00: value() raises "BER octet is empty." until set.
    CInteger();
    explicit CInteger(std::int32_t value);
    explicit CInteger(const CDerOctet& element);

    std::int32_t value() const;
    /// Writes the shortest two's-complement form.
    void setValue(std::int32_t value);

protected:
    /// For CEnum: the same view under another universal tag.
    CInteger(const CDerOctet& element, unsigned int universalTag);
    explicit CInteger(unsigned int universalTag);
};

} // namespace IASSCU

#endif
