#include "Cia/Model/CCioAuthentication.h"
#include "Cia/Model/CCioFile.h"
#include "CiaFileRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return CiaFileRoundTrip<IAS::CCryptoInfoObjectFile<IAS::CCioAuthentication>>(data, size);
}
