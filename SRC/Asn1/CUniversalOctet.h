#ifndef ASN1_CUNIVERSALOCTET_H
#define ASN1_CUNIVERSALOCTET_H

#include "Asn1/CDerOctet.h"

namespace IASSCU {

/// A primitive string-like type with universal tag N (OCTET STRING 4, NULL 5,
/// UTF8String 12, PrintableString 19, IA5String 22); the content is the value.
/// An implicit tag is kept.
template <bool Constructed, unsigned int N> class CUniversalOctet : public CDerOctet {
    static_assert(!Constructed, "only the primitive form is used");

public:
    CUniversalOctet() : CDerOctet(0, false, N) {}
    explicit CUniversalOctet(const ZAZ::ByteVectorBase& value) : CUniversalOctet() {
        setContent(value);
    }
    explicit CUniversalOctet(const CDerOctet& element) : CDerOctet(element) {
        checkView(false, {N}, -1);
    }

    ZAZ::ByteVector value() const { return content(); }
    void setValue(const ZAZ::ByteVectorBase& value) { setContent(value); }
};

using COctetString = CUniversalOctet<false, 4>;
using CNull = CUniversalOctet<false, 5>;
using CUtf8String = CUniversalOctet<false, 12>;
using CPrintableString = CUniversalOctet<false, 19>;
using CIA5String = CUniversalOctet<false, 22>;

} // namespace IASSCU

#endif
