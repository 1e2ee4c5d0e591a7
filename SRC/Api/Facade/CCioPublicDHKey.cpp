#include <ias/CCioPublicDHKey.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioPublicDHKey.h"

namespace ias {

CCioPublicDHKey::CCioPublicDHKey()
    : m_impl(MakeOwned<IAS::CCioPublicKey, IAS::CCioPublicDHKey>()) {}

CCioPublicDHKey::CCioPublicDHKey(const CBlob& der)
    : m_impl(DecodeAs<IAS::CCioPublicKey, IAS::CCioPublicDHKey>(der)) {}

CCioPublicDHKey::CCioPublicDHKey(const Owned<IAS::CCioPublicKey>& object) : m_impl(object) {}

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
