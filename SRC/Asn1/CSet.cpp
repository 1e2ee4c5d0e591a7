#include "Asn1/CSet.h"

namespace IASSCU {

CSet::CSet() : CSequence(17, nullptr) {}

CSet::CSet(const CDerOctet& element) : CSequence(17, &element) {}

} // namespace IASSCU
