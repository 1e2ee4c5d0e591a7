#ifndef ASN1_CSET_H
#define ASN1_CSET_H

#include "Asn1/CSequence.h"

namespace IASSCU {

/// A SET with a member table; assembling writes the members in tag order.
class CSet : public CSequence {
public:
    CSet();
    explicit CSet(const CDerOctet& element);

    void assemble() override { assembleChildren(true); }
};

} // namespace IASSCU

#endif
