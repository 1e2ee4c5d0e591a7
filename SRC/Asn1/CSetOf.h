#ifndef ASN1_CSETOF_H
#define ASN1_CSETOF_H

#include "Asn1/CDerOctet.h"

namespace IASSCU {

/// SET OF view: children kept in DER order (by their encodings).
class CSetOf : public CDerOctet {
public:
    CSetOf();
    explicit CSetOf(const CDerOctet& element);

    void add(const CDerOctet& element) { insertSorted(element); }
};

} // namespace IASSCU

#endif
