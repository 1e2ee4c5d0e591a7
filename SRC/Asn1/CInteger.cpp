#include "Asn1/CInteger.h"

#include "Asn1/DerMessages.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

namespace IASSCU {

CInteger::CInteger() : CInteger(2u) {}

CInteger::CInteger(unsigned int universalTag) : CDerOctet(0, false, universalTag) {}

CInteger::CInteger(std::int32_t value) : CInteger() {
    setValue(value);
}

CInteger::CInteger(const CDerOctet& element) : CInteger(element, 2) {}

CInteger::CInteger(const CDerOctet& element, unsigned int universalTag) : CDerOctet(element) {
    checkView(false, {2, 10}, static_cast<int>(universalTag));
    if (storedContent().empty()) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kDecodingError);
    }
}

std::int32_t CInteger::value() const {
    const ZAZ::ByteVector& c = storedContent();
    if (c.empty()) {
        throw ZAZ::CardFrameworkException(Msg::kEmpty);
    }
    if (c.size() > 4) {
        throw ZAZ::CardFrameworkException(Msg::kDataOverflow);
    }
    std::uint32_t v = (c[0] & 0x80) != 0 ? 0xFFFFFFFFu : 0u;
    for (std::int32_t i = 0; i < c.size(); ++i) {
        v = (v << 8) | c[i];
    }
    return static_cast<std::int32_t>(v);
}

void CInteger::setValue(std::int32_t value) {
    unsigned char bytes[4];
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(u >> (24 - 8 * i));
    }
    // Drop leading bytes that only repeat the sign of the next one.
    int start = 0;
    while (start < 3 && ((bytes[start] == 0x00 && (bytes[start + 1] & 0x80) == 0) ||
                         (bytes[start] == 0xFF && (bytes[start + 1] & 0x80) != 0))) {
        ++start;
    }
    setContent(ZAZ::ByteVectorBase(bytes + start, 4 - start));
}

} // namespace IASSCU
