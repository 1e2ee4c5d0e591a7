#include "Asn1/CBerTlv.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        // The elements written back one after the other read as the same list.
        const std::vector<IAS::CBerTlv> list = IAS::CBerTlv::parseList(bytes);
        ZAZ::ByteVector again;
        for (const IAS::CBerTlv& element : list) {
            again.append(element.encode());
        }
        const std::vector<IAS::CBerTlv> reread = IAS::CBerTlv::parseList(again);
        if (reread.size() != list.size()) {
            std::abort();
        }
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (reread[i].tag() != list[i].tag() || !(reread[i].value() == list[i].value())) {
                std::abort();
            }
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    try {
        IAS::CBerTlv::parseList(bytes, 0x61);
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
