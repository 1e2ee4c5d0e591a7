#ifndef IAS_CCIOOPAQUEDO_H
#define IAS_CCIOOPAQUEDO_H

#include <ias/CCioDataContainer.h>
#include <ias/CCioObjectValue.h>
#include <ias/Owned.h>

namespace ias {

/// opaqueDO, the untagged alternative of the data container directory: a data container whose value
/// is one ObjectValue.
class IAS_API CCioOpaqueDO : public CCioDataContainer {
public:
    /// No internal object: every accessor throws.
    CCioOpaqueDO();
    /// Decodes one DER element of this kind; malformed data throws CIASException.
    explicit CCioOpaqueDO(const CBlob& der);
    /// Presents `object` (used by the library; a directory file passes a view
    /// of one of its own objects).
    explicit CCioOpaqueDO(const Owned<IAS::CCioDataContainer>& object);

    IAS::CCioObject* getPrivateObject() const;
    /// -1.
    int choice() const;
    /// Where the value is (a copy).
    CCioObjectValue value() const;

private:
    Owned<IAS::CCioDataContainer> m_object;
};

} // namespace ias

#endif
