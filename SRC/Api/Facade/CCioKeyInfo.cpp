#include <ias/CCioKeyInfo.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioKeyInfo.h"

namespace ias {

CCioKeyInfo::CCioKeyInfo() : m_impl(MakeOwned<IAS::CCioKeyInfo>()) {}

CCioKeyInfo::CCioKeyInfo(const CBlob& der)
    : m_impl(MakeOwned<IAS::CCioKeyInfo>(ZAZ::ByteVector(der))) {}

CCioKeyInfo::CCioKeyInfo(const IAS::CCioKeyInfo& impl)
    : m_impl(MakeOwned<IAS::CCioKeyInfo>(impl)) {}

CBlob CCioKeyInfo::parameters() const {
    return Read<CBlob>(*m_impl, &IAS::CCioKeyInfo::parameters);
}

unsigned int CCioKeyInfo::operations() const {
    return Read<unsigned int>(*m_impl, &IAS::CCioKeyInfo::operations);
}

bool CCioKeyInfo::isNull() const {
    return Read<bool>(*m_impl, &IAS::CCioKeyInfo::isNull);
}

} // namespace ias
