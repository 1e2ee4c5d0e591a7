#ifndef API_FACADE_CIOFACADE_H
#define API_FACADE_CIOFACADE_H

// The shape of an exported CIO object class. It holds its internal object in
// an Owned<K> of the kind's internal base K: owning when the application
// built it from bytes, a view (Owned<K>::view) when a directory file hands it
// out over one of the file's own objects. Accessors reach the internal object
// through getPrivateObject(), so a class without one answers "Illegal
// parameter in function call.".

#include "Api/Facade/Facade.h"
#include "Zaz/Messages.h"

#include <ias/CCioObject.h>

namespace ias {

/// The internal object `self` presents, as kind K; none is "Illegal
/// parameter in function call.".
template <class K> const K& InternalAs(const CCioObject& self) {
    return Guarded([&]() -> const K& {
        const IAS::CCioObject* object = self.getPrivateObject();
        if (object == nullptr) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        return static_cast<const K&>(*object);
    });
}

/// A new internal object of concrete class `Impl`, decoded from one element
/// and held as kind K.
template <class K, class Impl> Owned<K> DecodeAs(const CBlob& der) {
    return MakeOwned<K, Impl>(ZAZ::ByteVector(der));
}

/// `getter` of the internal object `self` presents, as exported type `Out`.
template <class Out, class K, class R> Out ReadCio(const CCioObject& self, R (K::*getter)() const) {
    return Read<Out>(InternalAs<K>(self), getter);
}

} // namespace ias

#endif
