#include "Recognition/CEfAtr.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IAS {

namespace {
// Whether `bytes` open with an element tagged 80 whose length runs past the
// end of the file: then the 80 is the category indicator ISO/IEC 7816-4
// allows before the data objects, not a tag (cards in the field write it).
bool LeadingCategoryIndicator(const ZAZ::ByteVector& bytes) {
    if (bytes.size() < 2 || bytes[0] != 0x80) {
        return false;
    }
    try {
        std::int32_t position = 1;
        const std::int32_t length = CBerTlv::parseLength(bytes, position);
        return length > bytes.size() - position;
    } catch (const ZAZ::CardFrameworkException&) {
        return true; // a length field that does not even fit
    }
}
} // namespace

void CEfAtr::load(const ZAZ::ByteVector& bytes) {
    if (LeadingCategoryIndicator(bytes)) {
        m_elements = CBerTlv::parseList(bytes.substr(1, bytes.size() - 1));
        return;
    }
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
