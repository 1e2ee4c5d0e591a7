#ifndef FCI_CFILECONTROLPARAMETERS_H
#define FCI_CFILECONTROLPARAMETERS_H

#include "Fci/CSecurityAttributeCompact.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>
#include <vector>

namespace IAS {

/// The File Control Parameters a SELECT returns (template 62, possibly inside an
/// FCI 6F), decoded into fixed fields and encodable back into a 62 template.
class CFileControlParameters {
public:
    static constexpr unsigned char kNoDescriptor = 0xFF;
    static constexpr unsigned char kNoShortFileId = 0xFF;

    CFileControlParameters();
    explicit CFileControlParameters(const ZAZ::ByteVector& fcp);

    /// Replaces the fields with those of `fcp`; on failure they stay as they were.
    void decode(const ZAZ::ByteVector& fcp);
    ZAZ::ByteVector encode() const;

    unsigned char descriptor() const;
    std::uint32_t dataSize() const;
    std::uint32_t totalSize() const;
    /// The data size when non-zero, else the total size.
    std::uint32_t size() const;
    /// Whether the FCP gives a size at all (80 or 81): without one, size() 0
    /// does not mean an empty file.
    bool sizeGiven() const;
    ZAZ::ByteVector fileIdentifier() const;
    /// Empty (no 88), FF (88 empty: no short identifier) or the byte 88 carried.
    ZAZ::ByteVector shortFileIdentifier() const;
    ZAZ::ByteVector proprietaryBerTlvData() const;
    ZAZ::ByteVector proprietaryNonBerTlvData() const;
    unsigned char lifeCycleStatus() const;
    const std::vector<CSecurityAttributeCompact>& primarySecurityAttributes() const;
    const std::vector<CSecurityAttributeCompact>& secondarySecurityAttributes() const;
    bool securityAttributesInA1() const;
    ZAZ::ByteVector dfName() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
