#include <ias/CCioPrivateRSAKey.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioPrivateRSAKey.h"

namespace ias {

CCioPrivateRSAKey::CCioPrivateRSAKey()
    : m_impl(MakeOwned<IAS::CCioPrivateKey, IAS::CCioPrivateRSAKey>()) {}

CCioPrivateRSAKey::CCioPrivateRSAKey(const CBlob& der)
    : m_impl(DecodeAs<IAS::CCioPrivateKey, IAS::CCioPrivateRSAKey>(der)) {}

CCioPrivateRSAKey::CCioPrivateRSAKey(const Owned<IAS::CCioPrivateKey>& object) : m_impl(object) {}

IAS::CCioObject* CCioPrivateRSAKey::getPrivateObject() const {
    return m_impl.get();
}

CCiaPath CCioPrivateRSAKey::value() const {
    return ReadCio<CCiaPath>(*this, &IAS::CCioPrivateRSAKey::value);
}

int CCioPrivateRSAKey::modulusLength() const {
    return ReadCio<int>(*this, &IAS::CCioPrivateRSAKey::modulusLength);
}

CCioKeyInfo CCioPrivateRSAKey::keyInfo() const {
    return ReadCio<CCioKeyInfo>(*this, &IAS::CCioPrivateRSAKey::keyInfo);
}

} // namespace ias
