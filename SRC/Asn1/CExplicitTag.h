#ifndef ASN1_CEXPLICITTAG_H
#define ASN1_CEXPLICITTAG_H

#include "Asn1/CDerOctet.h"

namespace IASSCU {

/// An explicit tag: a constructed element holding exactly one inner element.
class CExplicitTag : public CDerOctet {
public:
    CExplicitTag(unsigned int tagClass, unsigned int tagNumber, const CDerOctet& inner);
    explicit CExplicitTag(const CDerOctet& element);

    const CDerOctet& inner() const;
};

} // namespace IASSCU

#endif
