#ifndef FUZZ_CIOFILEROUNDTRIP_H
#define FUZZ_CIOFILEROUNDTRIP_H

// A CIO directory file of kind T: whatever loads and encodes must load again
// and encode to the same bytes.

#include "Cia/Model/CCioFile.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

template <class T> void CioFileRoundTrip(const std::uint8_t* data, std::size_t size) {
    ZAZ::ByteVector once;
    try {
        IAS::CCryptoInfoObjectFile<T> file;
        file.load(FuzzBytes(data, size));
        once = file.encode();
    } catch (const ZAZ::CardFrameworkException&) {
        return; // refused input, or an object whose attributes cannot be written back
    }
    try {
        IAS::CCryptoInfoObjectFile<T> again;
        again.load(once);
        if (again.encode() == once) {
            return;
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    std::abort();
}

#endif
