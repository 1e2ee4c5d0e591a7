#ifndef IAS_CCIOSECURITYCONDITION_H
#define IAS_CCIOSECURITYCONDITION_H

#include <ias/CBlob.h>
#include <ias/CCioAuthReference.h>
#include <ias/Export.h>
#include <ias/Owned.h>

#include <vector>

namespace IAS {
class CCioSecurityCondition;
}

namespace ias {

/// What must hold before an access is granted: type 1 always, 2 an
/// authentication object, 3 an authentication reference, 4 not, 5 and, 6 or.
/// Failures throw ias::CIASException.
class IAS_API CCioSecurityCondition {
public:
    /// Type 0 (no condition).
    CCioSecurityCondition();
    /// Decodes one DER element; malformed data throws CIASException.
    explicit CCioSecurityCondition(const CBlob& der);
    /// A copy of an internal object (used by the library).
    explicit CCioSecurityCondition(const IAS::CCioSecurityCondition& impl);

    /// The type, 0 to 6.
    int type() const;
    /// Type 2 only; other types throw "An unknown error occurred.".
    CBlob authId() const;
    /// Type 3 only; other types throw "An unknown error occurred.".
    CCioAuthReference authReference() const;
    /// The negated condition; type 4 only, else "An unknown error occurred.".
    CCioSecurityCondition notSc() const;
    /// The conditions that must all hold, in order; type 5 only, else
    /// "An unknown error occurred.".
    std::vector<CCioSecurityCondition> andSc() const;
    /// The conditions one of which must hold, in order; type 6 only, else
    /// "An unknown error occurred.".
    std::vector<CCioSecurityCondition> orSc() const;

private:
    Owned<IAS::CCioSecurityCondition> m_impl;
};

} // namespace ias

#endif
