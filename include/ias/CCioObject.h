#ifndef IAS_CCIOOBJECT_H
#define IAS_CCIOOBJECT_H

#include <ias/CBlob.h>
#include <ias/CCioAccessControlRule.h>
#include <ias/Export.h>

#include <vector>

namespace IAS {
class CCioObject;
}

namespace ias {

/// The base of every CIO a directory file hands out: the common object
/// attributes. Each accessor throws CIASException "Illegal parameter in
/// function call." when the object presents no internal object.
class IAS_API CCioObject {
public:
    virtual ~CCioObject();

    /// The internal object this one presents; null when there is none.
    virtual IAS::CCioObject* getPrivateObject() const = 0;
    /// The CHOICE alternative in the object's file: -1 untagged, n for [n].
    virtual int choice() const;

    /// The label's UTF-8 octets; empty when absent.
    CBlob label() const;
    /// Named bits private (0x1) and modifiable (0x2); 0 when absent.
    unsigned int flags() const;
    /// The identifier of the authentication object guarding this one; empty when absent.
    CBlob authIdReference() const;
    /// How many uses one user consent allows; -1 when absent.
    int userConsent() const;
    /// Copies of the access-control rules, in file order; empty when absent.
    std::vector<CCioAccessControlRule> accessControlRules() const;

protected:
    CCioObject() {}

private:
    const IAS::CCioObject& internal() const;
};

} // namespace ias

#endif
