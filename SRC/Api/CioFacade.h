#ifndef IAS_CIOFACADE_H
#define IAS_CIOFACADE_H

// Exported CIO classes read their attributes from the internal object they
// present, which is of the internal class matching their own.

#include "Api/Facade.h"
#include "Cia/Model/CCioObject.h"
#include "Zaz/Messages.h"

#include <ias/CCioObject.h>

namespace ias {

/// The internal object `object` presents, as an `Impl`. None is "Illegal
/// parameter in function call.".
template <class Impl> const Impl& Presented(const CCioObject& object) {
    return Guarded([&]() -> const Impl& {
        const IAS::CCioObject* internal = object.getPrivateObject();
        if (internal == nullptr) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        return static_cast<const Impl&>(*internal);
    });
}

/// `getter` of the internal object `object` presents, as exported type `Out`.
template <class Out, class Impl, class R>
Out ReadCio(const CCioObject& object, R (Impl::*getter)() const) {
    return Read<Out>(Presented<Impl>(object), getter);
}

} // namespace ias

#endif
