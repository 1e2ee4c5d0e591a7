#include "Asn1/CBerTlv.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

namespace {
// Walks constructed children a few levels down, as the FCP and EF.DIR readers do.
void walk(const IAS::CBerTlv& element, int depth) {
    if (depth > 8 || !element.isConstructed()) {
        return;
    }
    for (const IAS::CBerTlv& child : element.children()) {
        walk(child, depth + 1);
    }
    element.child(0x83);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        walk(IAS::CBerTlv(0x70, bytes), 0);
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
