#ifndef IAS_CCIOAUTHENTICATION_H
#define IAS_CCIOAUTHENTICATION_H

#include <ias/CBlob.h>
#include <ias/CCioObject.h>

namespace IAS {
class CCioAuthentication;
}

namespace ias {

/// An authentication object (PIN, biometric template, authentication key or
/// external method) with the attributes all of them share. Accessors throw
/// CIASException "Illegal parameter in function call." when the object
/// presents no internal object.
class IAS_API CCioAuthentication : public CCioObject {
public:
    virtual ~CCioAuthentication();

    virtual IAS::CCioObject* getPrivateObject() const = 0;
    /// -1 password, 0 biometric template, 1 authentication key, 2 external.
    virtual int choice() const = 0;

    /// The object's identifier, which other objects name to be guarded by it; empty when absent.
    CBlob authId() const;
    /// -1 when absent.
    int authReference() const;
    /// The security environment; -1 when absent.
    int seIdentifier() const;

protected:
    CCioAuthentication() {}
};

} // namespace ias

#endif
