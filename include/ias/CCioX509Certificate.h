#ifndef IAS_CCIOX509CERTIFICATE_H
#define IAS_CCIOX509CERTIFICATE_H

#include <ias/CCioCertificate.h>
#include <ias/CCioObjectValue.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioCertificate;
}

namespace ias {

/// An X.509 certificate (choice() -1); the certificate itself is not decoded.
/// Failures throw CIASException.
class IAS_API CCioX509Certificate : public CCioCertificate {
public:
    /// Owns an object without attributes.
    CCioX509Certificate();
    /// Decodes one CDF element and owns the result.
    explicit CCioX509Certificate(const CBlob& der);
    /// Presents `object`, an internal object of this class (used by the library: a
    /// directory file passes a view of one of its own objects).
    explicit CCioX509Certificate(const Owned<IAS::CCioCertificate>& object);

    /// The internal object presented.
    IAS::CCioObject* getPrivateObject() const override;
    /// Usually the path of the EF that holds the certificate.
    CCioObjectValue value() const;
    /// The complete encoding of the subject Name; empty when absent.
    CBlob subject() const;
    /// The complete encoding of the issuer Name as a universal SEQUENCE; empty when absent.
    CBlob issuer() const;
    /// The complete INTEGER encoding, tag and length included; empty when absent.
    CBlob serialNumber() const;

private:
    Owned<IAS::CCioCertificate> m_impl;
};

} // namespace ias

#endif
