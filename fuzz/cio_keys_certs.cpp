// Key and certificate objects. The first byte picks the kind, the rest is one
// directory-file element; whatever the library writes of an element it
// decoded must read back and be written again as the same bytes.
#include "Cia/CCioPrivateDHKey.h"
#include "Cia/CCioPrivateRSAKey.h"
#include "Cia/CCioPublicDHKey.h"
#include "Cia/CCioPublicRSAKey.h"
#include "Cia/CCioX509Certificate.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

namespace {
template <class T> void roundTrip(const ZAZ::ByteVector& der) {
    ZAZ::ByteVector once;
    try {
        once = T(IAS::CCioFrame(der)).encode();
    } catch (const ZAZ::CardFrameworkException&) {
        return;
    }
    // No catch here: a failure to read our own encoding is a finding.
    if (!(T(IAS::CCioFrame(once)).encode() == once)) {
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    using Check = void (*)(const ZAZ::ByteVector&);
    const Check checks[] = {roundTrip<IAS::CCioPrivateRSAKey>, roundTrip<IAS::CCioPrivateDHKey>,
                            roundTrip<IAS::CCioPublicRSAKey>, roundTrip<IAS::CCioPublicDHKey>,
                            roundTrip<IAS::CCioX509Certificate>};
    checks[data[0] % 5](FuzzBytes(data + 1, size - 1));
    return 0;
}
