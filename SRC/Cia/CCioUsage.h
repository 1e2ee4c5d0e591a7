#ifndef CIA_CCIOUSAGE_H
#define CIA_CCIOUSAGE_H

#include "Asn1/CDerOctet.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>
#include <string>
#include <vector>

namespace IAS {

/// Usage: key-usage bits (0xFFFFFFFF when absent) and extended key usages as
/// object identifier text ("1 3 6 1 5 5 7 3 2").
class CCioUsage {
public:
    /// Null: no key usage, no extended usage.
    CCioUsage();
    explicit CCioUsage(const ZAZ::ByteVectorBase& der);
    explicit CCioUsage(const IASSCU::CDerOctet& element);

    /// Replaces the usage with the one in `element`; on failure it stays.
    void decode(const IASSCU::CDerOctet& element);
    ZAZ::ByteVector encode() const;

    std::uint32_t keyUsage() const;
    const std::vector<std::string>& extKeyUsage() const;
    bool isNull() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
