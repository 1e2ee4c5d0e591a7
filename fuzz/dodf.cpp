// The data container directory file: decode, encode, decode.
#include "Cia/Model/CCioDataContainer.h"
#include "CioFileRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CioFileRoundTrip<IAS::CCioDataContainer>(data, size);
    return 0;
}
