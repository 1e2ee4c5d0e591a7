#ifndef ASN1_CGENERALIZEDTIME_H
#define ASN1_CGENERALIZEDTIME_H

#include "Asn1/CTime.h"

namespace IASSCU {

/// GeneralizedTime view; an implicit tag is replaced by universal 24.
class CGeneralizedTime : public CTime {
public:
    CGeneralizedTime();
    explicit CGeneralizedTime(const std::string& text);
    explicit CGeneralizedTime(const CDerOctet& element);
};

} // namespace IASSCU

#endif
