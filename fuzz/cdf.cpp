#include "Cia/CCioCertificate.h"
#include "Cia/CCioFile.h"
#include "CiaFileRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return CiaFileRoundTrip<IAS::CCryptoInfoObjectFile<IAS::CCioCertificate>>(data, size);
}
