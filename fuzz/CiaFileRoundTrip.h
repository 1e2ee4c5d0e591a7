// Shared body of the CIA file targets: a file that decodes and re-encodes
// gives bytes that decode again to the same encoding.
#ifndef FUZZ_CIAFILEROUNDTRIP_H
#define FUZZ_CIAFILEROUNDTRIP_H

#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

template <class File> int CiaFileRoundTrip(const std::uint8_t* data, std::size_t size) {
    ZAZ::ByteVector encoded;
    try {
        File file;
        file.load(FuzzBytes(data, size));
        encoded = file.encode();
    } catch (const ZAZ::CardFrameworkException&) {
        return 0; // refused input, or an object whose attributes cannot be written back
    }
    try {
        File again;
        again.load(encoded);
        if (again.encode() == encoded) {
            return 0;
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    std::abort(); // the library refused, or changed, bytes it wrote itself
}

#endif
