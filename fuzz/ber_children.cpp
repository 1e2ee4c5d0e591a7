#include "Asn1/CBerTlv.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>
#include <vector>

namespace {
// Walks constructed children a few levels down, as the FCP and EF.DIR readers do.
void walk(const IAS::CBerTlv& element, int depth) {
    if (depth > 8 || !element.isConstructed()) {
        return;
    }
    const std::vector<IAS::CBerTlv> children = element.children();
    for (const IAS::CBerTlv& child : children) {
        walk(child, depth + 1);
    }
    // child(tag) is the first child with that tag, or the null element.
    const IAS::CBerTlv found = element.child(0x83);
    for (const IAS::CBerTlv& child : children) {
        if (child.tag() == 0x83) {
            if (found.tag() != 0x83 || !(found.value() == child.value())) {
                std::abort();
            }
            return;
        }
    }
    if (found.tag() == 0x83) {
        std::abort();
    }
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
