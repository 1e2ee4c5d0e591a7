// EF.ATR/INFO as recognition reads it: the element list, then the tags the
// probe asks for. A tag twice is refused; anything else must not crash.
#include "FuzzInput.h"
#include "Recognition/CEfAtr.h"
#include "Zaz/CardFrameworkException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    IAS::CEfAtr efAtr;
    try {
        efAtr.load(FuzzBytes(data, size));
    } catch (const ZAZ::CardFrameworkException&) {
        return 0;
    }
    for (unsigned int tag : {0x4Fu, 0x78u, 0x46u, 0x5F52u, size > 0 ? data[0] : 0u}) {
        try {
            efAtr.get(tag);
        } catch (const ZAZ::CardFrameworkException&) {
        }
    }
    return 0;
}
