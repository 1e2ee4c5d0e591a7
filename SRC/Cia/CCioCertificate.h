#ifndef CIA_CCIOCERTIFICATE_H
#define CIA_CCIOCERTIFICATE_H

#include "Cia/CCioCredentialIdentifier.h"
#include "Cia/CCioObject.h"
#include "Cia/CCioObjectFactory.h"
#include "Cia/CCioUsage.h"

#include <string>
#include <utility>
#include <vector>

namespace IAS {

/// The base type of the CDF: the attributes every certificate shares
/// (CommonCertificateAttributes). Certificates have no subclass attributes.
/// Validity times are held as YYYYMMDDHHMMSS, without fraction or zone: a
/// UTCTime year below 50 is 20xx, from 50 on 19xx.
class CCioCertificate : public CCioObject {
public:
    ~CCioCertificate() override;

    /// iD and authority (left out when FALSE), then identifier, certHash,
    /// trustedUsage, identifiers when present, and validity only when both
    /// times are set; each time is written as a UTCTime up to 2049, else as a
    /// GeneralizedTime.
    ZAZ::ByteVector encodeClassAttributes() const override;
    /// Always empty.
    ZAZ::ByteVector encodeSubClassAttributes() const override;

    ZAZ::ByteVector id() const;
    /// False unless present as TRUE.
    bool authority() const;
    /// The complete encoding of the identifier SEQUENCE; empty when absent.
    ZAZ::ByteVector identifier() const;
    /// The complete encoding, tag [0] included; empty when absent.
    ZAZ::ByteVector certHash() const;
    /// Null when absent.
    const CCioUsage& trustedUsage() const;
    /// In file order; empty when absent.
    const std::vector<CCioCredentialIdentifier>& identifiers() const;
    /// notBefore and notAfter; both empty when absent.
    std::pair<std::string, std::string> validity() const;

protected:
    CCioCertificate();
    /// Decodes the frame in `der` and, when present, its classAttributes. A
    /// time shorter than its form needs is "Inconsistent data length in BER
    /// octet.", one of another type "The operation is inconsistent for this
    /// type of BER octet.".
    explicit CCioCertificate(const CCioFrame& frame);
    CCioCertificate(const CCioCertificate&) = default;
    CCioCertificate& operator=(const CCioCertificate&) = default;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

/// The certificate kinds: X509Certificate (-1) decoded, six more known (CioKinds.cpp).
template <> const std::vector<CioKind<CCioCertificate>>& CioKinds<CCioCertificate>::all();
template <> const char* const CioKinds<CCioCertificate>::kInvalid;

} // namespace IAS

#endif
