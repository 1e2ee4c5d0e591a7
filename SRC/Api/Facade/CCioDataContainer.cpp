#include <ias/CCioDataContainer.h>
#include <ias/CCioIso7816DO.h>
#include <ias/CCioOidDO.h>
#include <ias/CCioOpaqueDO.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioDataContainer.h"

namespace ias {

namespace {
using Kind = IAS::CCioDataContainer;

CCioObjectValue ValueOf(const CCioObject& self) {
    return Read<CCioObjectValue>(InternalAs<IAS::CCioValueDataContainer>(self),
                                 &IAS::CCioValueDataContainer::value);
}
} // namespace

CCioDataContainer::~CCioDataContainer() {}

CBlob CCioDataContainer::applicationName() const {
    return Read<CBlob>(InternalAs<Kind>(*this), &Kind::applicationName);
}

std::string CCioDataContainer::applicationOID() const {
    return Read<std::string>(InternalAs<Kind>(*this), &Kind::applicationOID);
}

CBlob CCioDataContainer::id() const {
    return Read<CBlob>(InternalAs<Kind>(*this), &Kind::id);
}

CCioOpaqueDO::CCioOpaqueDO() {}

CCioOpaqueDO::CCioOpaqueDO(const CBlob& der) : m_object(DecodeAs<Kind, IAS::CCioOpaqueDO>(der)) {}

CCioOpaqueDO::CCioOpaqueDO(const Owned<Kind>& object) : m_object(object) {}

IAS::CCioObject* CCioOpaqueDO::getPrivateObject() const {
    return m_object.get();
}

int CCioOpaqueDO::choice() const {
    return CCioObject::choice();
}

CCioObjectValue CCioOpaqueDO::value() const {
    return ValueOf(*this);
}

CCioIso7816DO::CCioIso7816DO() {}

CCioIso7816DO::CCioIso7816DO(const CBlob& der)
    : m_object(DecodeAs<Kind, IAS::CCioIso7816DO>(der)) {}

CCioIso7816DO::CCioIso7816DO(const Owned<Kind>& object) : m_object(object) {}

IAS::CCioObject* CCioIso7816DO::getPrivateObject() const {
    return m_object.get();
}

int CCioIso7816DO::choice() const {
    return CCioObject::choice();
}

CCioObjectValue CCioIso7816DO::value() const {
    return ValueOf(*this);
}

CCioOidDO::CCioOidDO(const CBlob&) {}

IAS::CCioObject* CCioOidDO::getPrivateObject() const {
    return nullptr;
}

int CCioOidDO::choice() const {
    return CCioObject::choice();
}

} // namespace ias
