#include "Asn1/CDerOctet.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>
#include <cstring>

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
        try {
            expandAll(root);
        } catch (const ZAZ::CardFrameworkException&) {
            // Whatever was expanded before the failure must still encode as decoded.
        }
        // Unchanged, the tree encodes as the prefix of the input it was read from.
        const ZAZ::ByteVector expanded = root.encoding();
        if (expanded.size() > bytes.size() ||
            std::memcmp(expanded.data(), bytes.data(), static_cast<std::size_t>(expanded.size())) !=
                0) {
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
