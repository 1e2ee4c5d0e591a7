#include "Cia/CCiaPath.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        const IAS::CCiaPath path(bytes);
        // Re-encoding a decoded path and decoding it again gives the same path.
        if (!(IAS::CCiaPath(path.encode()) == path)) {
            std::abort();
        }
        try {
            path.parent();
        } catch (const ZAZ::CardFrameworkException&) {
        }
        try {
            const IAS::CCiaPath sum = path + path;
            sum.relativeToEF(path);
        } catch (const ZAZ::CardFrameworkException&) {
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
