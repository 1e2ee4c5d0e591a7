#ifndef RECOGNITION_CEFATR_H
#define RECOGNITION_CEFATR_H

#include "Asn1/CBerTlv.h"
#include "Zaz/ByteVector.h"

#include <vector>

namespace IAS {

/// The data objects of EF.ATR/INFO (2F01): the card's capabilities, its
/// pre-issuing data and the IAS application identifier.
class CEfAtr {
public:
    CEfAtr() = default;
    virtual ~CEfAtr() = default;

    /// Replaces the elements with those of `bytes`; 00 padding between them is
    /// skipped. A leading 80 byte whose element would run past the end of the
    /// file is taken as a category indicator and skipped, so that the data
    /// objects after it are found.
    void load(const ZAZ::ByteVector& bytes);
    /// The value of the one element tagged `tag`; empty when none is. A tag
    /// present twice is "The data format is not supported.".
    ZAZ::ByteVector get(unsigned int tag) const;

private:
    std::vector<CBerTlv> m_elements;
};

} // namespace IAS

#endif
