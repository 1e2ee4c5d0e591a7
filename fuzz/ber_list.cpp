#include "Asn1/CBerTlv.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        for (const IAS::CBerTlv& element : IAS::CBerTlv::parseList(bytes)) {
            element.encode();
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    try {
        IAS::CBerTlv::parseList(bytes, 0x61);
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
