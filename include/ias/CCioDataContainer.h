#ifndef IAS_CCIODATACONTAINER_H
#define IAS_CCIODATACONTAINER_H

#include <ias/CBlob.h>
#include <ias/CCioObject.h>

#include <string>

namespace IAS {
class CCioDataContainer;
}

namespace ias {

/// A data container object: where a data object of the card is and which
/// application it belongs to. Accessors throw CIASException "Illegal
/// parameter in function call." when the object presents no internal object.
class IAS_API CCioDataContainer : public CCioObject {
public:
    virtual ~CCioDataContainer();

    virtual IAS::CCioObject* getPrivateObject() const = 0;
    /// -1 opaqueDO, 0 iso7816DO, 1 oidDO.
    virtual int choice() const = 0;

    /// The application name's UTF-8 octets; empty when absent.
    CBlob applicationName() const;
    /// The application OID as decimal arcs separated by blanks; empty when absent.
    std::string applicationOID() const;
    /// The object's identifier; empty when absent.
    CBlob id() const;

protected:
    CCioDataContainer() {}
};

} // namespace ias

#endif
