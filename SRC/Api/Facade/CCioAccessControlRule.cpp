#include <ias/CCioAccessControlRule.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioAccessControlRule.h"

namespace ias {

CCioAccessControlRule::CCioAccessControlRule() : m_impl(MakeOwned<IAS::CCioAccessControlRule>()) {}

CCioAccessControlRule::CCioAccessControlRule(const CBlob& der)
    : m_impl(MakeOwned<IAS::CCioAccessControlRule>(ZAZ::ByteVector(der))) {}

CCioAccessControlRule::CCioAccessControlRule(const IAS::CCioAccessControlRule& impl)
    : m_impl(MakeOwned<IAS::CCioAccessControlRule>(impl)) {}

unsigned int CCioAccessControlRule::accessMode() const {
    return Read<unsigned int>(*m_impl, &IAS::CCioAccessControlRule::accessMode);
}

CCioSecurityCondition CCioAccessControlRule::securityCondition() const {
    return Read<CCioSecurityCondition>(*m_impl, &IAS::CCioAccessControlRule::securityCondition);
}

bool CCioAccessControlRule::isNull() const {
    return Read<bool>(*m_impl, &IAS::CCioAccessControlRule::isNull);
}

} // namespace ias
