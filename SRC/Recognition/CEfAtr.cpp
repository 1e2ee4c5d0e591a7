#include "Recognition/CEfAtr.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IAS {

void CEfAtr::load(const ZAZ::ByteVector& bytes) {
    m_elements = CBerTlv::parseList(bytes);
}

ZAZ::ByteVector CEfAtr::get(unsigned int tag) const {
    const CBerTlv* found = nullptr;
    for (const CBerTlv& element : m_elements) {
        if (element.tag() != tag) {
            continue;
        }
        if (found != nullptr) {
            // Two answers to one question: the card's data cannot be trusted.
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kFormatNotSupported);
        }
        found = &element;
    }
    return found != nullptr ? found->value() : ZAZ::ByteVector();
}

} // namespace IAS
