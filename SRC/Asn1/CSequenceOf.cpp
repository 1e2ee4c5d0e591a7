#include "Asn1/CSequenceOf.h"

namespace IASSCU {

CSequenceOf::CSequenceOf() : CDerOctet(0, true, 16) {}

CSequenceOf::CSequenceOf(const CDerOctet& element) : CDerOctet(element) {
    checkView(true, {16}, 16);
}

} // namespace IASSCU
