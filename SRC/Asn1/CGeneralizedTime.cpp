#include "Asn1/CGeneralizedTime.h"

namespace IASSCU {

CGeneralizedTime::CGeneralizedTime() : CTime(24, true) {}

CGeneralizedTime::CGeneralizedTime(const std::string& text) : CGeneralizedTime() {
    fromString(text);
}

CGeneralizedTime::CGeneralizedTime(const CDerOctet& element) : CTime(24, true) {
    CDerOctet::operator=(element);
    checkView(false, {24}, 24);
}

} // namespace IASSCU
