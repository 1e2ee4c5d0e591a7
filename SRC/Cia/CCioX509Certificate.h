#ifndef CIA_CCIOX509CERTIFICATE_H
#define CIA_CCIOX509CERTIFICATE_H

#include "Cia/CCioCertificate.h"
#include "Cia/CCioObjectValue.h"

namespace IAS {

/// An X.509 certificate: the untagged alternative of the CDF. The certificate
/// itself is not decoded; subject, issuer and serial number are kept as encoded.
class CCioX509Certificate : public CCioCertificate {
public:
    /// Absent attributes: an unknown value, no subject, issuer or serial number.
    CCioX509Certificate();
    /// Decodes one CIO element; a missing iD or value is "Mandatory data
    /// member is missing.".
    explicit CCioX509Certificate(const CCioFrame& frame);
    ~CCioX509Certificate() override;

    /// A SEQUENCE of value, then subject, issuer ([0]) and serialNumber when present.
    ZAZ::ByteVector encodeTypeAttributes() const override;
    /// -1.
    int choice() const override;
    CCioX509Certificate* clone() const override;

    /// Usually the path of the EF that holds the certificate.
    const CCioObjectValue& value() const;
    /// The complete encoding of the Name; empty when absent.
    ZAZ::ByteVector subject() const;
    /// The complete encoding of the Name as a universal SEQUENCE (30 ..); empty when absent.
    ZAZ::ByteVector issuer() const;
    /// The complete INTEGER encoding (02 ..); empty when absent.
    ZAZ::ByteVector serialNumber() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
