#ifndef CIA_CCIALASTUPDATE_H
#define CIA_CCIALASTUPDATE_H

#include "Fci/CCiaPath.h"
#include "Zaz/ByteVector.h"

#include <ias/Owned.h>

#include <cstdint>
#include <string>

namespace IAS {

/// The lastUpdate member of EF.CIAInfo: when (or where to read when) the CIA
/// last changed. Kept as the element given, with its form as type.
class CCiaLastUpdate {
public:
    enum Type {
        None = 0,
        GeneralizedTime = 1,
        PathReference = 2,
        PrintableString = 3,
        IA5String = 4,
        ContextReference = 5
    };

    /// Type None.
    CCiaLastUpdate();
    /// Decodes one element; a form outside the six types is "Illegal
    /// parameter in function call.".
    explicit CCiaLastUpdate(const ZAZ::ByteVectorBase& der);
    virtual ~CCiaLastUpdate() = default;

    std::int32_t type() const;
    /// The element as given; empty for type None.
    const ZAZ::ByteVector& encoding() const;
    /// The GeneralizedTime content as stored; other types: "An unknown error occurred.".
    std::string generalizedTime() const;
    /// The decoded Path; other types: "An unknown error occurred.".
    CCiaPath path() const;

private:
    struct Record;
    ias::Owned<Record> m_rec;
};

} // namespace IAS

#endif
