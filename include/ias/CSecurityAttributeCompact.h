#ifndef IAS_CSECURITYATTRIBUTECOMPACT_H
#define IAS_CSECURITYATTRIBUTECOMPACT_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

#include <utility>

namespace IAS {
class CSecurityAttributeCompact;
}

namespace ias {

/// One compact security attribute of a file: an access mode byte and, for each
/// operation group it announces, the security condition byte guarding it.
/// Failures throw ias::CIASException.
class IAS_API CSecurityAttributeCompact {
public:
    CSecurityAttributeCompact();
    /// An empty `bytes` throws CIASException (class 0, error 1, "illegal parameter").
    CSecurityAttributeCompact(const CBlob& bytes);
    /// A copy of an attribute held by the library.
    explicit CSecurityAttributeCompact(const IAS::CSecurityAttributeCompact& attribute);
    /// Decodes the attribute at the front of `bytes`; on failure nothing changes.
    CSecurityAttributeCompact& operator=(const CBlob& bytes);
    virtual ~CSecurityAttributeCompact();

    /// Bit b8 of the access mode byte.
    bool proprietary() const;
    /// (true, condition byte) when the access mode byte sets `accessModeBit`
    /// (0x01 for b1 ... 0x40 for b7), else (false, 0).
    std::pair<bool, int> securityConditionByte(int accessModeBit) const;
    /// The access mode byte followed by the condition bytes.
    operator CBlob() const;

private:
    Owned<IAS::CSecurityAttributeCompact> m_impl;
};

} // namespace ias

#endif
