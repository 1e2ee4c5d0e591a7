#ifndef ASN1_CBOOLEAN_H
#define ASN1_CBOOLEAN_H

#include "Asn1/CDerOctet.h"

namespace IASSCU {

/// BOOLEAN view: universal 1, or an implicit tag that is kept.
class CBoolean : public CDerOctet {
public:
    CBoolean();
    explicit CBoolean(bool value);
    explicit CBoolean(const CDerOctet& element);

    /// Any non-zero first content byte is true.
    bool value() const;
    void setValue(bool value);
};

} // namespace IASSCU

#endif
