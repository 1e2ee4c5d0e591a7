// The authentication object directory file: decode, encode, decode.
#include "Cia/Model/CCioAuthentication.h"
#include "CioFileRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CioFileRoundTrip<IAS::CCioAuthentication>(data, size);
    return 0;
}
