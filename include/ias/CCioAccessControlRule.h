#ifndef IAS_CCIOACCESSCONTROLRULE_H
#define IAS_CCIOACCESSCONTROLRULE_H

#include <ias/CBlob.h>
#include <ias/CCioSecurityCondition.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCioAccessControlRule;
}

namespace ias {

/// An access-control rule: the access modes (named bit n as 2^n) granted when
/// its security condition holds.
/// Failures throw ias::CIASException.
class IAS_API CCioAccessControlRule {
public:
    /// accessMode 0 and a type-0 condition (a null rule).
    CCioAccessControlRule();
    /// Decodes one DER element; malformed data throws CIASException.
    explicit CCioAccessControlRule(const CBlob& der);
    /// A copy of an internal object (used by the library).
    explicit CCioAccessControlRule(const IAS::CCioAccessControlRule& impl);

    /// Named bits of the access modes granted.
    unsigned int accessMode() const;
    /// A copy of the rule's condition.
    CCioSecurityCondition securityCondition() const;
    /// True when the condition has type 0.
    bool isNull() const;

private:
    Owned<IAS::CCioAccessControlRule> m_impl;
};

} // namespace ias

#endif
