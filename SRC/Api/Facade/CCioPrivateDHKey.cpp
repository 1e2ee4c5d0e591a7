#include <ias/CCioPrivateDHKey.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioPrivateDHKey.h"

namespace ias {

CCioPrivateDHKey::CCioPrivateDHKey()
    : m_impl(MakeOwned<IAS::CCioPrivateKey, IAS::CCioPrivateDHKey>()) {}

CCioPrivateDHKey::CCioPrivateDHKey(const CBlob& der)
    : m_impl(DecodeAs<IAS::CCioPrivateKey, IAS::CCioPrivateDHKey>(der)) {}

CCioPrivateDHKey::CCioPrivateDHKey(const Owned<IAS::CCioPrivateKey>& object) : m_impl(object) {}

IAS::CCioObject* CCioPrivateDHKey::getPrivateObject() const {
    return m_impl.get();
}

CCiaPath CCioPrivateDHKey::value() const {
    return ReadCio<CCiaPath>(*this, &IAS::CCioPrivateDHKey::value);
}

CCioKeyInfo CCioPrivateDHKey::keyInfo() const {
    return ReadCio<CCioKeyInfo>(*this, &IAS::CCioPrivateDHKey::keyInfo);
}

} // namespace ias
