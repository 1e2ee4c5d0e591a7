#include "Asn1/CDerOctet.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        const IASSCU::CDerOctet element(bytes);
        const ZAZ::ByteVector encoding = element.encoding();
        // Unchanged, the element is exactly its own prefix of the input.
        if (encoding.size() > bytes.size() ||
            std::memcmp(encoding.data(), bytes.data(), encoding.size()) != 0) {
            std::abort();
        }
        IASSCU::CDerOctet copy(element);
        if (!(copy == element)) {
            std::abort();
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
