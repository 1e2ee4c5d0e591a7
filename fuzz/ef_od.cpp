#include "Cia/CObjectDirectoryFile.h"
#include "CiaFileRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return CiaFileRoundTrip<IAS::CObjectDirectoryFile>(data, size);
}
