#ifndef ASN1_CBITSTRING_H
#define ASN1_CBITSTRING_H

#include "Asn1/CDerOctet.h"

#include <cstdint>

namespace IASSCU {

/// BIT STRING view. Bit i is counted from the most significant bit of the
/// first data byte, as named bits are; bits past the data read as 0.
class CBitString : public CDerOctet {
public:
    /// The empty element 03 00 (no unused-bit count yet); every bit reads 0,
    /// and setting or masking writes the DER form.
    CBitString();
    /// Bit i of the string set for each bit 1 << i of `mask`.
    explicit CBitString(std::uint32_t mask);
    explicit CBitString(const CDerOctet& element);

    bool bit(int i) const;
    void setBit(int i);
    void clearBit(int i);

    /// Bits 0 to 31 as 1 << i; later bits are ignored.
    std::uint32_t toMask() const;
    void setMask(std::uint32_t mask);

private:
    void store(ZAZ::ByteVector data);
};

} // namespace IASSCU

#endif
