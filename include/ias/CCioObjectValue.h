#ifndef IAS_CCIOOBJECTVALUE_H
#define IAS_CCIOOBJECTVALUE_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioObjectValue;
}

namespace ias {

/// Where an object's value is: type 1 the value itself, 2 a path, 3 and 4 a
/// URL (PrintableString, IA5String), 5 a URL with digest, 0 anything else.
/// Failures throw ias::CIASException.
class IAS_API CCioObjectValue {
public:
    /// Type 0, no value.
    CCioObjectValue();
    /// Decodes one DER element; malformed data throws CIASException.
    explicit CCioObjectValue(const CBlob& der);
    /// A copy of an internal object (used by the library).
    explicit CCioObjectValue(const IAS::CCioObjectValue& impl);

    /// The type, 0 to 5.
    int type() const;
    /// Type 1 the inner element, 2 the path SEQUENCE, 3 and 4 the URL text,
    /// 5 the element as a universal SEQUENCE; empty for type 0.
    CBlob value() const;

private:
    Owned<IAS::CCioObjectValue> m_impl;
};

} // namespace ias

#endif
