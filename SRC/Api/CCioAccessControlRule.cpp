#include <ias/CCioAccessControlRule.h>

#include "Api/Facade.h"
#include "Cia/Model/CCioAccessControlRule.h"

namespace ias {

CCioAccessControlRule::CCioAccessControlRule() : m_impl(Make<IAS::CCioAccessControlRule>()) {}

CCioAccessControlRule::CCioAccessControlRule(const CBlob& der)
    : m_impl(Decode<IAS::CCioAccessControlRule>(der)) {}

CCioAccessControlRule::CCioAccessControlRule(const IAS::CCioAccessControlRule& impl)
    : m_impl(Make<IAS::CCioAccessControlRule>(impl)) {}

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
