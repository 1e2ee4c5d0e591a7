#include "Fci/CCiaPath.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        const IAS::CCiaPath path(bytes);
        // Re-encoding a decoded path and decoding it again gives the same path,
        // except that a part with index or length -1 is written as no part at all.
        IAS::CCiaPath expected(path);
        if (path.index() == -1 || path.length() == -1) {
            expected.setIndex(-1);
            expected.setLength(-1);
        }
        if (!(IAS::CCiaPath(path.encode()) == expected)) {
            std::abort();
        }
        // Every field holds bytes that stand in the input as they are.
        for (const ZAZ::ByteVector& field : {path.aid(), path.tag(), path.efidOrPath()}) {
            if (!field.empty() && std::search(bytes.begin(), bytes.end(), field.begin(),
                                              field.end()) == bytes.end()) {
                std::abort();
            }
        }
        try {
            path.parent();
        } catch (const ZAZ::CardFrameworkException&) {
        }
        try {
            const IAS::CCiaPath sum = path + path;
            sum.relativeToEF(path);
        } catch (const ZAZ::CardFrameworkException&) {
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
