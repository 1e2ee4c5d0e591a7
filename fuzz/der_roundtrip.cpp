#include "Asn1/CDerOctet.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

namespace {
void expandAll(const IASSCU::CDerOctet& element) {
    if (!element.isConstructed()) {
        return;
    }
    for (const IASSCU::CDerOctet* child : element.children()) {
        expandAll(*child);
    }
}

// Rebuilds every element of the tree so that encoding() cannot fall back on
// the stored bytes.
void touchAll(IASSCU::CDerOctet& element) {
    element.setTag(element.tagClass(), element.tagNumber());
    if (element.isConstructed()) {
        for (IASSCU::CDerOctet* child : element.children()) {
            touchAll(*child);
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        IASSCU::CDerOctet root(bytes);
        const ZAZ::ByteVector original = root.encoding();
        try {
            expandAll(root);
        } catch (const ZAZ::CardFrameworkException&) {
            // Whatever was expanded before the failure must still encode as decoded.
        }
        if (!(root.encoding() == original)) {
            std::abort();
        }
        touchAll(root);
        const ZAZ::ByteVector rebuilt = root.encoding();
        // A rebuilt tree is DER-shaped: decoding it and rebuilding again is stable.
        IASSCU::CDerOctet again(rebuilt);
        touchAll(again);
        if (!(again.encoding() == rebuilt)) {
            std::abort();
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
