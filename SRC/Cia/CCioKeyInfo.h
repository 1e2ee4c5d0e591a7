#ifndef CIA_CCIOKEYINFO_H
#define CIA_CCIOKEYINFO_H

#include "Asn1/CDerOctet.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>

namespace IAS {

/// KeyInfo in its parameters-and-operations form: the parameters element as
/// encoded, and the supported operations (0xFFFFFFFF when absent).
class CCioKeyInfo {
public:
    /// Null: no parameters.
    CCioKeyInfo();
    explicit CCioKeyInfo(const ZAZ::ByteVectorBase& der);
    /// A primitive element (a bare key reference) is "Error encountered while decoding format.".
    explicit CCioKeyInfo(const IASSCU::CDerOctet& element);

    /// Replaces the key info with the one in `element`; on failure it stays.
    void decode(const IASSCU::CDerOctet& element);
    /// A null key info has no parameters to write: "Mandatory data member is missing.".
    ZAZ::ByteVector encode() const;

    ZAZ::ByteVector parameters() const;
    std::uint32_t operations() const;
    bool isNull() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
