#ifndef IAS_CCIOOIDDO_H
#define IAS_CCIOOIDDO_H

#include <ias/CCioDataContainer.h>

namespace ias {

/// oidDO, the [1] alternative of the data container directory. The library
/// does not decode it: the object never holds an internal object, so every
/// accessor, choice() included, throws CIASException "Illegal parameter in
/// function call.".
class IAS_API CCioOidDO : public CCioDataContainer {
public:
    CCioOidDO() {}
    /// Takes nothing from `der`.
    explicit CCioOidDO(const CBlob& der);

    /// Null.
    IAS::CCioObject* getPrivateObject() const;
    /// Always throws.
    int choice() const;
};

} // namespace ias

#endif
