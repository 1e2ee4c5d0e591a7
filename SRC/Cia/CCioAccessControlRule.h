#ifndef CIA_CCIOACCESSCONTROLRULE_H
#define CIA_CCIOACCESSCONTROLRULE_H

#include "Asn1/CDerOctet.h"
#include "Cia/CCioSecurityCondition.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>

namespace IAS {

/// AccessControlRule: the access modes (named bit n as 2^n) granted when the
/// security condition holds.
class CCioAccessControlRule {
public:
    /// accessMode 0 and a condition of type None (a null rule).
    CCioAccessControlRule();
    explicit CCioAccessControlRule(const ZAZ::ByteVectorBase& der);
    explicit CCioAccessControlRule(const IASSCU::CDerOctet& element);

    /// Replaces the rule with the one in `element`; on failure it stays.
    void decode(const IASSCU::CDerOctet& element);
    /// A null rule cannot be written: "Illegal parameter in function call.".
    ZAZ::ByteVector encode() const;

    std::uint32_t accessMode() const;
    const CCioSecurityCondition& securityCondition() const;
    bool isNull() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
