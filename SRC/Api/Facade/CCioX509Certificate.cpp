#include <ias/CCioX509Certificate.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioX509Certificate.h"

namespace ias {

CCioX509Certificate::CCioX509Certificate()
    : m_impl(MakeOwned<IAS::CCioCertificate, IAS::CCioX509Certificate>()) {}

CCioX509Certificate::CCioX509Certificate(const CBlob& der)
    : m_impl(DecodeAs<IAS::CCioCertificate, IAS::CCioX509Certificate>(der)) {}

CCioX509Certificate::CCioX509Certificate(const Owned<IAS::CCioCertificate>& object)
    : m_impl(object) {}

IAS::CCioObject* CCioX509Certificate::getPrivateObject() const {
    return m_impl.get();
}

CCioObjectValue CCioX509Certificate::value() const {
    return ReadCio<CCioObjectValue>(*this, &IAS::CCioX509Certificate::value);
}

CBlob CCioX509Certificate::subject() const {
    return ReadCio<CBlob>(*this, &IAS::CCioX509Certificate::subject);
}

CBlob CCioX509Certificate::issuer() const {
    return ReadCio<CBlob>(*this, &IAS::CCioX509Certificate::issuer);
}

CBlob CCioX509Certificate::serialNumber() const {
    return ReadCio<CBlob>(*this, &IAS::CCioX509Certificate::serialNumber);
}

} // namespace ias
