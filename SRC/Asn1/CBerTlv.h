#ifndef ASN1_CBERTLV_H
#define ASN1_CBERTLV_H

#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>
#include <vector>

namespace IAS {

/// One ISO/IEC 7816-4 BER-TLV data object: FCP templates, EF.DIR templates,
/// EF.ATR contents and the data fields the card layer builds. Tags are kept as
/// their encoded bytes read big-endian (5F2D is 0x5F2D). Children are not
/// stored: a constructed element keeps its value bytes and scans them on demand.
class CBerTlv {
public:
    /// The null element.
    CBerTlv();
    /// `length` bytes of 00 as value; negative is "Illegal parameter in function call.".
    CBerTlv(unsigned int tag, int length);
    CBerTlv(unsigned int tag, const ZAZ::ByteVector& value);
    /// Parses one element from the front of `encoding`; trailing bytes are ignored.
    explicit CBerTlv(const ZAZ::ByteVector& encoding);
    // Copies copy the record; a moved-from element reads as the null element.

    bool isNull() const;
    bool isConstructed() const;
    unsigned int tag() const;
    unsigned int tagClass() const;
    ZAZ::ByteVector value() const;
    /// The value without a copy; valid while the element lives unchanged.
    ZAZ::ByteVectorBase valueView() const;
    void setValue(const ZAZ::ByteVector& value);

    unsigned char toUInt8() const;
    std::uint16_t toUInt16() const;
    std::uint32_t toUInt32() const;
    CBerTlv& setUInt8(unsigned char v);
    CBerTlv& setUInt16(std::uint16_t v);
    CBerTlv& setUInt32(std::uint32_t v);

    std::vector<CBerTlv> children() const;
    std::vector<CBerTlv> children(unsigned int tag) const;
    /// The one child with `tag`; a null element when there is none.
    CBerTlv child(unsigned int tag) const;
    CBerTlv& operator+=(const CBerTlv& child);
    CBerTlv& operator+=(const ZAZ::ByteVector& bytes);
    void clear();

    ZAZ::ByteVector encode() const;

    /// Every element of `bytes`, skipping 00 bytes where a tag would start.
    static std::vector<CBerTlv> parseList(const ZAZ::ByteVector& bytes);
    static std::vector<CBerTlv> parseList(const ZAZ::ByteVector& bytes, unsigned int tag);

    /// Reads a tag at `position` and moves `position` past it.
    static unsigned int parseTag(const ZAZ::ByteVectorBase& bytes, std::int32_t& position);
    /// Reads a length at `position` and moves `position` past it.
    static std::int32_t parseLength(const ZAZ::ByteVectorBase& bytes, std::int32_t& position);
    static ZAZ::ByteVector encodeTag(unsigned int tag);
    static ZAZ::ByteVector encodeLength(std::uint32_t length);
    /// Appends the definite-length octets of `length` (short or long form).
    static void appendLength(ZAZ::ByteVector& out, std::uint32_t length);
    static bool isConstructedTag(unsigned int tag);

    /// The shared null element that child() hands out copies of.
    static const CBerTlv& nullElement();

private:
    struct Record;

    const Record& rec() const;
    Record& live();
    Record& constructedRecord();
    const Record& constructedRecord() const;
    const Record& primitiveRecord() const;
    Record& primitiveRecord();
    static std::vector<CBerTlv> scan(const ZAZ::ByteVectorBase& bytes, bool filter,
                                     unsigned int tag, bool skipPadding);

    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
