#include "Asn1/CBerTlv.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        const IAS::CBerTlv element(bytes);
        // The value is the input's bytes after the tag and length fields, and the
        // encoding starts with the input's tag bytes; only length forms may differ.
        std::int32_t position = 0;
        const unsigned int tag = IAS::CBerTlv::parseTag(bytes, position);
        const std::int32_t tagEnd = position;
        const std::int32_t length = IAS::CBerTlv::parseLength(bytes, position);
        const ZAZ::ByteVector value = element.value();
        const ZAZ::ByteVector encoded = element.encode();
        if (tag != element.tag() || length != value.size() ||
            !(value == bytes.substr(position, length)) ||
            !(encoded.substr(0, tagEnd) == bytes.substr(0, tagEnd)) ||
            !(IAS::CBerTlv(encoded).value() == value)) {
            std::abort();
        }
        if (!element.isConstructed()) {
            element.toUInt32();
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
