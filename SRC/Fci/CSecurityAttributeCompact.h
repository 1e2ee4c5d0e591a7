#ifndef FCI_CSECURITYATTRIBUTECOMPACT_H
#define FCI_CSECURITYATTRIBUTECOMPACT_H

#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>
#include <utility>

namespace IAS {

/// One compact security attribute: an access mode byte and one condition byte
/// for each of the bits b7..b1 it sets. Condition bytes are kept, not interpreted.
class CSecurityAttributeCompact {
public:
    CSecurityAttributeCompact();
    /// Decodes one attribute from the front of `bytes`; later bytes are not read.
    explicit CSecurityAttributeCompact(const ZAZ::ByteVectorBase& bytes);

    /// Replaces the contents with the attribute at the front of `bytes`.
    void decode(const ZAZ::ByteVectorBase& bytes);

    bool proprietary() const;
    /// (1, condition byte) when the access mode announced `accessModeBit`, else (0, 0).
    std::pair<unsigned char, unsigned char> securityConditionByte(int accessModeBit) const;
    /// Access mode byte and condition bytes: exactly what decoding consumed.
    ZAZ::ByteVector encode() const;
    /// The number of bytes the attribute at the front of `bytes` occupies, from
    /// its access mode byte alone; 0 for empty input.
    static std::int32_t encodedSize(const ZAZ::ByteVectorBase& bytes);

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
