#ifndef ASN1_CTIME_H
#define ASN1_CTIME_H

#include "Asn1/CDerOctet.h"

#include <string>

namespace IASSCU {

/// UTCTime (23) or GeneralizedTime (24) view, converted to and from the
/// 14-character form YYYYMMDDhhmmss. A new CTime has tag number 0 until a
/// value picks the type from the year. The view keeps an implicit tag, and
/// then the tag no longer tells the form: toString() refuses it ("The
/// operation is inconsistent for this type of BER octet."; CGeneralizedTime
/// reads it), and fromString() treats it like a new element (the year picks
/// the form, years before 1950 are refused) while keeping the tag.
class CTime : public CDerOctet {
public:
    CTime();
    explicit CTime(const std::string& text);
    explicit CTime(const CDerOctet& element);

    std::string toString() const;
    void fromString(const std::string& text);

    /// The system clock in UTC as YYYYMMDDhhmmssZ, or YYYYMMDDhhmmss.mmmZ.
    static std::string currentTime(bool withMilliseconds = false);

protected:
    CTime(unsigned int universalTag, bool);
};

} // namespace IASSCU

#endif
