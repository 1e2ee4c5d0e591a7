#ifndef CIA_CCIOFRAME_H
#define CIA_CCIOFRAME_H

#include "Asn1/CDerOctet.h"
#include "Asn1/CISOSequence.h"
#include "Zaz/ByteVector.h"

namespace IAS {

/// One CIO as its frame, matched once: common object attributes, class,
/// subclass and type attributes. Every constructor along an object's class
/// chain reads its own member from the same frame, so an element is decoded
/// once however deep its class. A short-lived value: it lives while the
/// object is built and is neither copied nor kept.
class CCioFrame {
public:
    /// Matches `element`. A primitive frame or a universal one other than
    /// SEQUENCE is "Error encountered while decoding format."; the [n]
    /// alternatives of a directory file pass under their context tag.
    explicit CCioFrame(const IASSCU::CDerOctet& element);
    /// The same, from the element's DER encoding.
    explicit CCioFrame(const ZAZ::ByteVectorBase& der);
    CCioFrame(const CCioFrame&) = delete;
    CCioFrame& operator=(const CCioFrame&) = delete;

    const IASSCU::CDerOctet& commonObjectAttributes() const;
    /// The classAttributes element as it stands; null when absent.
    const IASSCU::CDerOctet* classAttributes() const;
    /// The inner element of subClassAttributes; null when absent.
    const IASSCU::CDerOctet* subClassAttributes() const;
    /// The inner element of typeAttributes, which every frame has.
    const IASSCU::CDerOctet& typeAttributes() const;

private:
    const IASSCU::CDerOctet* optional(const char* name) const;

    IASSCU::CISOSequence<IASSCU::CioObject> m_frame;
};

} // namespace IAS

#endif
