#ifndef ASN1_ISOSEQUENCETABLES_H
#define ASN1_ISOSEQUENCETABLES_H

#include "Asn1/ISOSequences.h"

namespace IASSCU {

class CSequence;

/// Appends the members of structure `n`, in ASN.1 order, to `sequence`.
/// An enumerator without a table is "Illegal parameter in function call.".
void AddISOSequenceMembers(ISOSequences n, CSequence& sequence);

} // namespace IASSCU

#endif
