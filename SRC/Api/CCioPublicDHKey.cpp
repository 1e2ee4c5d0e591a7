#include <ias/CCioPublicDHKey.h>

#include "Api/CioFacade.h"
#include "Cia/Model/CCioPublicDHKey.h"

namespace ias {

CCioPublicDHKey::CCioPublicDHKey() : m_impl(Make<IAS::CCioPublicDHKey>()) {}

CCioPublicDHKey::CCioPublicDHKey(const CBlob& der) : m_impl(Decode<IAS::CCioPublicDHKey>(der)) {}

CCioPublicDHKey::CCioPublicDHKey(IAS::CCioPublicDHKey* object)
    : m_impl(Owned<IAS::CCioPublicDHKey>::view(object)) {}

IAS::CCioObject* CCioPublicDHKey::getPrivateObject() const {
    return m_impl.get();
}

CCioObjectValue CCioPublicDHKey::value() const {
    return ReadCio<CCioObjectValue>(*this, &IAS::CCioPublicDHKey::value);
}

CCioKeyInfo CCioPublicDHKey::keyInfo() const {
    return ReadCio<CCioKeyInfo>(*this, &IAS::CCioPublicDHKey::keyInfo);
}

} // namespace ias
