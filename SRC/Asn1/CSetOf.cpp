#include "Asn1/CSetOf.h"

namespace IASSCU {

CSetOf::CSetOf() : CDerOctet(0, true, 17) {}

CSetOf::CSetOf(const CDerOctet& element) : CDerOctet(element) {
    checkView(true, {17}, 17);
}

} // namespace IASSCU
