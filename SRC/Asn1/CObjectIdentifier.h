#ifndef ASN1_COBJECTIDENTIFIER_H
#define ASN1_COBJECTIDENTIFIER_H

#include "Asn1/CDerOctet.h"

#include <string>

namespace IASSCU {

/// OBJECT IDENTIFIER view; the text form is decimal arcs separated by single
/// spaces ("1 2 840 113549 1 1").
class CObjectIdentifier : public CDerOctet {
public:
    CObjectIdentifier();
    explicit CObjectIdentifier(const std::string& text);
    explicit CObjectIdentifier(const CDerOctet& element);

    std::string toString() const;
    void fromString(const std::string& text);
};

} // namespace IASSCU

#endif
