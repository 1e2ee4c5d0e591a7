#include "Asn1/CExplicitTag.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IASSCU {

CExplicitTag::CExplicitTag(unsigned int tagClass, unsigned int tagNumber, const CDerOctet& inner)
    : CDerOctet(tagClass, true, tagNumber) {
    addChild(inner);
}

CExplicitTag::CExplicitTag(const CDerOctet& element) : CDerOctet(element) {
    if (!isConstructed() || children().size() != 1) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kDecodingError);
    }
}

const CDerOctet& CExplicitTag::inner() const {
    const auto& list = children();
    if (list.size() != 1) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kDecodingError);
    }
    return *list.front();
}

} // namespace IASSCU
