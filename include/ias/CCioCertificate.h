#ifndef IAS_CCIOCERTIFICATE_H
#define IAS_CCIOCERTIFICATE_H

#include <ias/CBlob.h>
#include <ias/CCioCredentialIdentifier.h>
#include <ias/CCioObject.h>
#include <ias/CCioUsage.h>
#include <ias/Export.h>

#include <string>
#include <utility>
#include <vector>

namespace ias {

/// The attributes every certificate of the CDF shares. Failures throw CIASException.
class IAS_API CCioCertificate : public CCioObject {
public:
    /// The certificate's iD octets.
    CBlob id() const;
    /// False unless the card says TRUE.
    bool authority() const;
    /// The complete encoding, tag [0] included; empty when absent.
    CBlob certHash() const;
    /// A copy; null when absent.
    CCioUsage trustedUsage() const;
    /// Copies of the credential identifiers, in file order; empty when absent.
    std::vector<CCioCredentialIdentifier> identifiers() const;
    /// notBefore and notAfter as YYYYMMDDHHMMSS (no fraction, no zone; a
    /// UTCTime year below 50 is 20xx); both empty when absent.
    std::pair<std::string, std::string> validity() const;

protected:
    CCioCertificate() {}
};

} // namespace ias

#endif
