#include <ias/CCioSecurityCondition.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioSecurityCondition.h"

namespace ias {

CCioSecurityCondition::CCioSecurityCondition() : m_impl(MakeOwned<IAS::CCioSecurityCondition>()) {}

CCioSecurityCondition::CCioSecurityCondition(const CBlob& der)
    : m_impl(MakeOwned<IAS::CCioSecurityCondition>(ZAZ::ByteVector(der))) {}

CCioSecurityCondition::CCioSecurityCondition(const IAS::CCioSecurityCondition& impl)
    : m_impl(MakeOwned<IAS::CCioSecurityCondition>(impl)) {}

int CCioSecurityCondition::type() const {
    return Read<int>(*m_impl, &IAS::CCioSecurityCondition::type);
}

CBlob CCioSecurityCondition::authId() const {
    return Read<CBlob>(*m_impl, &IAS::CCioSecurityCondition::authId);
}

CCioAuthReference CCioSecurityCondition::authReference() const {
    return Read<CCioAuthReference>(*m_impl, &IAS::CCioSecurityCondition::authReference);
}

CCioSecurityCondition CCioSecurityCondition::notSc() const {
    return Read<CCioSecurityCondition>(*m_impl, &IAS::CCioSecurityCondition::notSc);
}

std::vector<CCioSecurityCondition> CCioSecurityCondition::andSc() const {
    return Read<std::vector<CCioSecurityCondition>>(*m_impl, &IAS::CCioSecurityCondition::andSc);
}

std::vector<CCioSecurityCondition> CCioSecurityCondition::orSc() const {
    return Read<std::vector<CCioSecurityCondition>>(*m_impl, &IAS::CCioSecurityCondition::orSc);
}

} // namespace ias
