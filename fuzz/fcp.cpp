#include "Fci/CFileControlParameters.h"
#include "Fci/CSecurityAttributeCompact.h"
#include "FuzzInput.h"
#include "Zaz/CardFrameworkException.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ZAZ::ByteVector bytes = FuzzBytes(data, size);
    try {
        const IAS::CFileControlParameters fcp(bytes);
        // Encoded and read back, every field read from the input survives (the
        // life cycle is not written, and A1 only around attributes).
        const IAS::CFileControlParameters again(fcp.encode());
        const auto attributes = [](const std::vector<IAS::CSecurityAttributeCompact>& list) {
            ZAZ::ByteVector out;
            for (const auto& a : list) {
                out.append(a.encode());
            }
            return out;
        };
        const bool a1 =
            fcp.securityAttributesInA1() && (!fcp.primarySecurityAttributes().empty() ||
                                             !fcp.secondarySecurityAttributes().empty());
        if (again.descriptor() != fcp.descriptor() || again.size() != fcp.size() ||
            !(again.fileIdentifier() == fcp.fileIdentifier()) ||
            !(again.shortFileIdentifier() == fcp.shortFileIdentifier()) ||
            !(again.dfName() == fcp.dfName()) || again.securityAttributesInA1() != a1 ||
            !(attributes(again.primarySecurityAttributes()) ==
              attributes(fcp.primarySecurityAttributes())) ||
            !(attributes(again.secondarySecurityAttributes()) ==
              attributes(fcp.secondarySecurityAttributes()))) {
            std::abort();
        }
    } catch (const ZAZ::CardFrameworkException&) {
    }
    return 0;
}
