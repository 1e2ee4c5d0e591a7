#ifndef IAS_CCIOISO7816DO_H
#define IAS_CCIOISO7816DO_H

#include <ias/CCioDataContainer.h>
#include <ias/CCioObjectValue.h>
#include <ias/Owned.h>

namespace ias {

/// iso7816DO, the [0] alternative of the data container directory: a data container whose value is
/// one ObjectValue.
class IAS_API CCioIso7816DO : public CCioDataContainer {
public:
    /// No internal object: every accessor throws.
    CCioIso7816DO();
    /// Decodes one DER element of this kind; malformed data throws CIASException.
    explicit CCioIso7816DO(const CBlob& der);
    /// Presents `object` (used by the library; a directory file passes a view
    /// of one of its own objects).
    explicit CCioIso7816DO(const Owned<IAS::CCioDataContainer>& object);

    IAS::CCioObject* getPrivateObject() const;
    /// 0.
    int choice() const;
    /// Where the value is (a copy).
    CCioObjectValue value() const;

private:
    Owned<IAS::CCioDataContainer> m_object;
};

} // namespace ias

#endif
