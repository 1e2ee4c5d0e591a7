#include "Asn1/CBerTlv.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        const IAS::CBerTlv element(bytes);
        const ZAZ::ByteVector value = element.value();
        // A parsed element encodes with the same value; only length forms may differ.
        const IAS::CBerTlv again(element.encode());
        if (again.tag() != element.tag() || !(again.value() == value)) {
            std::abort();
        }
        if (!element.isConstructed()) {
            element.toUInt32();
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
