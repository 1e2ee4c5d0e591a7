#ifndef IAS_CCIALASTUPDATE_H
#define IAS_CCIALASTUPDATE_H

#include <ias/CBlob.h>
#include <ias/CCiaPath.h>
#include <ias/Export.h>
#include <ias/Owned.h>

#include <string>

namespace IAS {
class CCiaLastUpdate;
}

namespace ias {

/// The lastUpdate member of EF.CIAInfo. Types: 0 none, 1 GeneralizedTime,
/// 2 Path, 3 PrintableString, 4 IA5String, 5 context-specific [3].
/// Throws ias::CIASException.
class IAS_API CCiaLastUpdate {
public:
    /// Type 0.
    CCiaLastUpdate();
    /// Decodes one element; any other form is "Illegal parameter in function call.".
    explicit CCiaLastUpdate(const CBlob& der);
    /// A copy of a value held by the library.
    explicit CCiaLastUpdate(const IAS::CCiaLastUpdate& other);
    virtual ~CCiaLastUpdate();

    /// 0 to 5, as above.
    int type() const;
    /// Type 1 only: the time as stored, e.g. "20120304050607Z"; otherwise
    /// "An unknown error occurred.".
    std::string generalizedTime() const;
    /// Type 2 only: the decoded path; otherwise "An unknown error occurred.".
    CCiaPath path() const;

private:
    Owned<IAS::CCiaLastUpdate> m_impl;
};

} // namespace ias

#endif
