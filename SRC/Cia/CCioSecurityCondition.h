#ifndef CIA_CCIOSECURITYCONDITION_H
#define CIA_CCIOSECURITYCONDITION_H

#include "Asn1/CDerOctet.h"
#include "Cia/CCioAuthReference.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <vector>

namespace IAS {

/// SecurityCondition: what must hold before an access mode is granted. A
/// CHOICE told apart by the element's tag; not, and and or nest other
/// conditions, as deep as CDerOctet::kMaxDepth levels.
class CCioSecurityCondition {
public:
    enum Type { None = 0, Always = 1, AuthId = 2, AuthReference = 3, Not = 4, And = 5, Or = 6 };

    /// Type None.
    CCioSecurityCondition();
    explicit CCioSecurityCondition(const ZAZ::ByteVectorBase& der);
    explicit CCioSecurityCondition(const IASSCU::CDerOctet& element);

    /// Replaces the condition with the one in `element`; on failure it stays.
    void decode(const IASSCU::CDerOctet& element);
    /// Type None cannot be written: "Illegal parameter in function call.".
    ZAZ::ByteVector encode() const;

    int type() const;
    /// The accessors below answer only for their own type (and, for not, and
    /// and or, a proper number of sub-conditions); otherwise "An unknown error occurred.".
    ZAZ::ByteVector authId() const;
    CCioAuthReference authReference() const;
    CCioSecurityCondition notSc() const;
    std::vector<CCioSecurityCondition> andSc() const;
    std::vector<CCioSecurityCondition> orSc() const;

private:
    struct Record;
    static void read(const IASSCU::CDerOctet& element, int depth, Record& into);
    IASSCU::CDerOctet element() const;
    const std::vector<CCioSecurityCondition>& subs(int type, std::size_t atLeast) const;

    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
