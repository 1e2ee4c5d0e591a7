#ifndef CIA_CCIOOBJECTVALUE_H
#define CIA_CCIOOBJECTVALUE_H

#include "Asn1/CDerOctet.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

namespace IAS {

/// ObjectValue: where an object's value is, told apart by the element's tag.
/// An element of no known form is not an error: type Unknown, no bytes. A
/// [0] that does not hold exactly one element is malformed, not unknown.
class CCioObjectValue {
public:
    /// Stored bytes per type: Direct the inner element, Path the SEQUENCE, the
    /// two URL forms the text, UrlWithDigest the element as a universal SEQUENCE.
    enum Type {
        Unknown = 0,
        Direct = 1,
        Path = 2,
        PrintableUrl = 3,
        Ia5Url = 4,
        UrlWithDigest = 5
    };

    CCioObjectValue();
    explicit CCioObjectValue(const ZAZ::ByteVectorBase& der);
    explicit CCioObjectValue(const IASSCU::CDerOctet& element);

    /// Replaces the value with the one in `element`; on failure it stays.
    void decode(const IASSCU::CDerOctet& element);
    /// The element again, in the form of its type; empty for Unknown.
    ZAZ::ByteVector encode() const;

    int type() const;
    ZAZ::ByteVector value() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
