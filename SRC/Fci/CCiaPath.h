#ifndef FCI_CCIAPATH_H
#define FCI_CCIAPATH_H

#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>

namespace IAS {

/// An ISO/IEC 7816-15 Path: which file (and which part of it) a CIA structure
/// refers to. Stored as decoded; combining operations work on normalised copies.
class CCiaPath {
public:
    /// objectRef alternatives; Derived means "work it out from the fields".
    enum Kind { Derived = 0, EfidOrPath = 1, TagRef = 2, AidRef = 3, AidTagRef = 4 };

    CCiaPath();
    /// Decodes the DER SEQUENCE of a Path.
    explicit CCiaPath(const ZAZ::ByteVectorBase& der);
    virtual ~CCiaPath() = default;

    /// Replaces the fields with those of the DER Path in `der`; on failure they stay.
    void decode(const ZAZ::ByteVectorBase& der);
    ZAZ::ByteVector encode() const;

    std::int32_t kindField() const;
    /// The kind field, or the kind the fields imply when it is 0.
    std::int32_t kind() const;
    ZAZ::ByteVector aid() const;
    ZAZ::ByteVector efidOrPath() const;
    ZAZ::ByteVector tag() const;
    std::int32_t index() const;
    std::int32_t length() const;
    /// A non-empty aid on a path of kind field 1 or 2 is refused.
    void setAid(const ZAZ::ByteVectorBase& aid);
    void setEfidOrPath(const ZAZ::ByteVectorBase& efidOrPath);
    /// A non-empty tag on a path of kind field 1 or 3 is refused.
    void setTag(const ZAZ::ByteVectorBase& tag);
    void setIndex(std::int32_t index);
    void setLength(std::int32_t length);

    bool isNull() const;
    /// Starts from an application or from the MF (3F 00).
    bool isAbsolute() const;
    bool operator==(const CCiaPath& other) const;
    bool operator!=(const CCiaPath& other) const { return !(*this == other); }

    /// A copy with the qualifier byte resolved and removed.
    CCiaPath normalized() const;
    CCiaPath parent() const;
    CCiaPath operator+(const CCiaPath& other) const;
    CCiaPath& operator+=(const CCiaPath& other);
    /// df + this.
    CCiaPath relativeToDF(const CCiaPath& df) const;
    /// The DF holding `ef`, + this.
    CCiaPath relativeToEF(const CCiaPath& ef) const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
