#ifndef ASN1_CISOSEQUENCE_H
#define ASN1_CISOSEQUENCE_H

#include "Asn1/CSequence.h"
#include "Asn1/ISOSequenceTables.h"
#include "Asn1/ISOSequences.h"
#include "Asn1/TagClass.h"

namespace IASSCU {

/// The SEQUENCE of one ISO/IEC 7816-15 structure, its member table chosen by N.
/// Built from an element, it matches the element's children at once.
template <ISOSequences N, TagClass Class = Universal, unsigned int Number = 16>
class CISOSequence : public CSequence {
    static_assert(Class == Universal && Number == 16, "CIA structures are universal SEQUENCEs");

public:
    CISOSequence() { AddISOSequenceMembers(N, *this); }
    explicit CISOSequence(const CDerOctet& element) : CSequence(element) {
        AddISOSequenceMembers(N, *this);
        match();
    }
};

} // namespace IASSCU

#endif
