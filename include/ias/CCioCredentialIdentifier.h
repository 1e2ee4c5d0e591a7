#ifndef IAS_CCIOCREDENTIALIDENTIFIER_H
#define IAS_CCIOCREDENTIALIDENTIFIER_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioCredentialIdentifier;
}

namespace ias {

/// A credential identifier: its kind (1 to 9) and the identifier element.
/// Failures throw ias::CIASException.
class IAS_API CCioCredentialIdentifier {
public:
    /// idType -1, no idValue.
    CCioCredentialIdentifier();
    /// Decodes one DER element; malformed data throws CIASException.
    explicit CCioCredentialIdentifier(const CBlob& der);
    /// A copy of an internal object (used by the library).
    explicit CCioCredentialIdentifier(const IAS::CCioCredentialIdentifier& impl);

    /// 1 to 9; -1 when not decoded.
    int idType() const;
    /// The complete DER encoding of the idValue element.
    CBlob idValue() const;
    /// The same bytes as idValue(): the stored element is returned whole,
    /// no OCTET STRING header is stripped from it.
    CBlob octetStringIdValue() const;

private:
    Owned<IAS::CCioCredentialIdentifier> m_impl;
};

} // namespace ias

#endif
