#include <ias/CCioPublicRSAKey.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioPublicRSAKey.h"

namespace ias {

CCioPublicRSAKey::CCioPublicRSAKey()
    : m_impl(MakeOwned<IAS::CCioPublicKey, IAS::CCioPublicRSAKey>()) {}

CCioPublicRSAKey::CCioPublicRSAKey(const CBlob& der)
    : m_impl(DecodeAs<IAS::CCioPublicKey, IAS::CCioPublicRSAKey>(der)) {}

CCioPublicRSAKey::CCioPublicRSAKey(const Owned<IAS::CCioPublicKey>& object) : m_impl(object) {}

IAS::CCioObject* CCioPublicRSAKey::getPrivateObject() const {
    return m_impl.get();
}

CCioObjectValue CCioPublicRSAKey::value() const {
    return ReadCio<CCioObjectValue>(*this, &IAS::CCioPublicRSAKey::value);
}

int CCioPublicRSAKey::modulusLength() const {
    return ReadCio<int>(*this, &IAS::CCioPublicRSAKey::modulusLength);
}

CCioKeyInfo CCioPublicRSAKey::keyInfo() const {
    return ReadCio<CCioKeyInfo>(*this, &IAS::CCioPublicRSAKey::keyInfo);
}

} // namespace ias
