#ifndef IAS_CCIOKEYINFO_H
#define IAS_CCIOKEYINFO_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioKeyInfo;
}

namespace ias {

/// Key information in its parameters-and-operations form.
/// Failures throw ias::CIASException.
class IAS_API CCioKeyInfo {
public:
    /// Null: no parameters, operations 0xFFFFFFFF.
    CCioKeyInfo();
    /// Decodes one DER element; malformed data throws CIASException.
    explicit CCioKeyInfo(const CBlob& der);
    /// A copy of an internal object (used by the library).
    explicit CCioKeyInfo(const IAS::CCioKeyInfo& impl);

    /// The complete DER encoding of the parameters element.
    CBlob parameters() const;
    /// Named bits of the supported operations; 0xFFFFFFFF when absent.
    unsigned int operations() const;
    /// True when there are no parameters.
    bool isNull() const;

private:
    Owned<IAS::CCioKeyInfo> m_impl;
};

} // namespace ias

#endif
