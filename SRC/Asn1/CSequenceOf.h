#ifndef ASN1_CSEQUENCEOF_H
#define ASN1_CSEQUENCEOF_H

#include "Asn1/CDerOctet.h"

namespace IASSCU {

/// SEQUENCE OF view: children in the order they were added.
class CSequenceOf : public CDerOctet {
public:
    CSequenceOf();
    explicit CSequenceOf(const CDerOctet& element);

    void add(const CDerOctet& element) { addChild(element); }
};

} // namespace IASSCU

#endif
