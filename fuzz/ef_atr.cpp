// EF.ATR/INFO as recognition reads it: the element list, then the tags the
// probe asks for. A tag twice is refused; anything else must not crash.
#include "FuzzInput.h"
#include "Recognition/CEfAtr.h"
#include "Zaz/CardFrameworkException.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IAS::CEfAtr efAtr;
    try {
        efAtr.load(FuzzBytes(data, size));
    } catch (const ZAZ::CardFrameworkException&) {
        return 0;
    }
    const std::uint8_t* end = data + size;
    for (unsigned int tag : {0x4Fu, 0x78u, 0x46u, 0x5F52u, size > 0 ? data[0] : 0u}) {
        try {
            // A value found is bytes of the file, never made up or shifted past it.
            const ZAZ::ByteVector value = efAtr.get(tag);
            if (!value.empty() && std::search(data, end, value.begin(), value.end()) == end) {
                std::abort();
            }
        } catch (const ZAZ::CardFrameworkException&) {
        }
    }
    return 0;
}
