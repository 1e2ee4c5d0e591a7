#ifndef IAS_CCIOAUTHREFERENCE_H
#define IAS_CCIOAUTHREFERENCE_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioAuthReference;
}

namespace ias {

/// An authentication reference: the authentication method bits (named bit n as
/// 2^n) and the security environment they apply in.
/// Failures throw ias::CIASException.
class IAS_API CCioAuthReference {
public:
    /// authMethod 0, seIdentifier -1.
    CCioAuthReference();
    /// Decodes one DER element; malformed data throws CIASException.
    explicit CCioAuthReference(const CBlob& der);
    /// A copy of an internal object (used by the library).
    explicit CCioAuthReference(const IAS::CCioAuthReference& impl);

    /// Named bits of the authentication method.
    unsigned int authMethod() const;
    /// The security environment number; -1 when absent.
    int seIdentifier() const;

private:
    Owned<IAS::CCioAuthReference> m_impl;
};

} // namespace ias

#endif
