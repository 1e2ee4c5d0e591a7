#include "Asn1/CBitString.h"
#include "Asn1/CBoolean.h"
#include "Asn1/CDerOctet.h"
#include "Asn1/CISOSequence.h"
#include "Asn1/CInteger.h"
#include "Asn1/CObjectIdentifier.h"
#include "Asn1/CTime.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

namespace {
template <class F> void attempt(F&& f) {
    try {
        f();
    } catch (const ZAZ::CardFrameworkException&) {
    }
}

// Expands every constructed element and reads every primitive through the views
// the CIA decoders use; the tree bounds its own depth.
void walk(const IASSCU::CDerOctet& element) {
    if (element.isConstructed()) {
        attempt([&] { IASSCU::CISOSequence<IASSCU::CioObject> frame(element); });
        attempt([&] { IASSCU::CISOSequence<IASSCU::CommonKeyAttributes> key(element); });
        attempt([&] { IASSCU::CISOSequence<IASSCU::CiaInfo> info(element); });
        for (const IASSCU::CDerOctet* child : element.children()) {
            walk(*child);
        }
        return;
    }
    attempt([&] { IASSCU::CInteger(element).value(); });
    attempt([&] { IASSCU::CBoolean(element).value(); });
    attempt([&] { IASSCU::CBitString(element).toMask(); });
    attempt([&] { IASSCU::CObjectIdentifier(element).toString(); });
    attempt([&] { IASSCU::CTime(element).toString(); });
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    attempt([&] {
        const IASSCU::CDerOctet root(bytes);
        walk(root);
        // Reading changes nothing: the element still encodes to the bytes it came from.
        const auto n = static_cast<std::int32_t>(root.encodedSize());
        if (!(root.encoding() == bytes.substr(0, n))) {
            std::abort();
        }
    });
    return 0;
}
