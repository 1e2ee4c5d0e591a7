#include "Cia/Fci/CFileControlParameters.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        const IAS::CFileControlParameters fcp(bytes);
        // What we encode we must read back to the same encoding.
        const ZAZ::ByteVector encoded = fcp.encode();
        if (!(IAS::CFileControlParameters(encoded).encode() == encoded)) {
            std::abort();
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
