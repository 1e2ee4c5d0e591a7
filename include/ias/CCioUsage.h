#ifndef IAS_CCIOUSAGE_H
#define IAS_CCIOUSAGE_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

#include <string>
#include <vector>

namespace IAS {
class CCioUsage;
}

namespace ias {

/// How a key may be used: key-usage bits (named bit n as 2^n) and extended key
/// usages as object identifier text, arcs separated by blanks ("2 5 29 37 0").
/// Failures throw ias::CIASException.
class IAS_API CCioUsage {
public:
    /// Null: keyUsage 0xFFFFFFFF, no extended usage.
    CCioUsage();
    /// Decodes one DER element; malformed data throws CIASException.
    explicit CCioUsage(const CBlob& der);
    /// A copy of an internal object (used by the library).
    explicit CCioUsage(const IAS::CCioUsage& impl);

    /// 0xFFFFFFFF when absent.
    unsigned int keyUsage() const;
    /// In the order of the card; empty when absent.
    std::vector<std::string> extKeyUsage() const;
    /// True when both are absent.
    bool isNull() const;

private:
    Owned<IAS::CCioUsage> m_impl;
};

} // namespace ias

#endif
