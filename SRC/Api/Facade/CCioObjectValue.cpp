#include <ias/CCioObjectValue.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioObjectValue.h"

namespace ias {

CCioObjectValue::CCioObjectValue() : m_impl(MakeOwned<IAS::CCioObjectValue>()) {}

CCioObjectValue::CCioObjectValue(const CBlob& der)
    : m_impl(MakeOwned<IAS::CCioObjectValue>(ZAZ::ByteVector(der))) {}

CCioObjectValue::CCioObjectValue(const IAS::CCioObjectValue& impl)
    : m_impl(MakeOwned<IAS::CCioObjectValue>(impl)) {}

int CCioObjectValue::type() const {
    return Read<int>(*m_impl, &IAS::CCioObjectValue::type);
}

CBlob CCioObjectValue::value() const {
    return Read<CBlob>(*m_impl, &IAS::CCioObjectValue::value);
}

} // namespace ias
