#ifndef IAS_CCIOPUBLICKEY_H
#define IAS_CCIOPUBLICKEY_H

#include <ias/CBlob.h>
#include <ias/CCioCredentialIdentifier.h>
#include <ias/CCioKey.h>
#include <ias/CCioUsage.h>
#include <ias/Export.h>

#include <vector>

namespace ias {

/// A key of the PuKDF: the public-key attributes. Failures throw CIASException.
class IAS_API CCioPublicKey : public CCioKey {
public:
    /// The complete encoding of the Name; empty when absent.
    CBlob name() const;
    /// The complete encoding of the GeneralNames, tag included; empty when absent.
    CBlob generalName() const;
    /// Copies of the key identifiers, in file order; empty when absent.
    std::vector<CCioCredentialIdentifier> keyIdentifiers() const;
    /// A copy; null when absent.
    CCioUsage trustedUsage() const;

protected:
    CCioPublicKey() {}
};

} // namespace ias

#endif
