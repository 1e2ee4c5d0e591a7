#ifndef IAS_CCIOKEY_H
#define IAS_CCIOKEY_H

#include <ias/CBlob.h>
#include <ias/CCioObject.h>
#include <ias/Export.h>

#include <string>
#include <vector>

namespace ias {

/// The attributes every key shares. Dates are the stored GeneralizedTime
/// texts, zone letter included ("20240131120000Z"). Failures throw CIASException.
class IAS_API CCioKey : public CCioObject {
public:
    /// The key's iD octets.
    CBlob id() const;
    /// KeyUsageFlags, named bit n as 2^n; 0 when the key has no class attributes.
    unsigned int usage() const;
    /// True unless the card says FALSE.
    bool native() const;
    /// KeyAccessFlags; 0 when absent.
    unsigned int accessFlags() const;
    /// Whether accessFlags was present (possibly without any bit set).
    bool accessFlagsDefined() const;
    /// -1 when absent.
    int keyReference() const;
    /// The stored text; empty when absent.
    std::string startDate() const;
    /// The stored text; empty when absent.
    std::string endDate() const;
    /// Algorithm references in file order; empty when absent.
    std::vector<int> algReference() const;

protected:
    CCioKey() {}
};

} // namespace ias

#endif
