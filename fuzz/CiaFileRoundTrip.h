// Shared body of the CIA file targets: a file that decodes re-encodes to
// bytes that decode to the same encoding again.
#ifndef FUZZ_CIAFILEROUNDTRIP_H
#define FUZZ_CIAFILEROUNDTRIP_H

#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

template <class File> int CiaFileRoundTrip(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    File file;
    try {
        file.load(bytes);
    } catch (const ZAZ::CardFrameworkException&) {
        return 0;
    }
    const ZAZ::ByteVector encoded = file.encode();
    File again;
    again.load(encoded); // must not throw: the library wrote these bytes itself
    if (!(again.encode() == encoded)) {
        std::abort();
    }
    return 0;
}

#endif
