#include "Fci/CSecurityAttributeCompact.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        const IAS::CSecurityAttributeCompact attribute(bytes);
        // The encoding is exactly the bytes the decoding consumed.
        const ZAZ::ByteVector encoded = attribute.encode();
        if (encoded.size() != IAS::CSecurityAttributeCompact::encodedSize(bytes) ||
            std::memcmp(encoded.data(), bytes.data(), encoded.size()) != 0) {
            std::abort();
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
