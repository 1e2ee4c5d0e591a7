#ifndef API_FACADE_BOUNDARY_H
#define API_FACADE_BOUNDARY_H

#include <ias/CIASException.h>
#include <ias/Owned.h>

#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"
#include "Zaz/OsException.h"

#include <type_traits>
#include <utility>
#include <vector>

namespace ias {

/// Runs the body of an exported method and turns internal failures into
/// CIASException class 2: IsoException keeps its status word, everything else
/// derived from CardFrameworkException gets sw 0. Any other exception
/// (std::bad_alloc, a CIASException from a nested call) passes unchanged.
template <class Body> auto Guarded(Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const ZAZ::IsoException& e) {
        throw CIASException(CIASException::IAS_ERR_CARD_FRAMEWORK, e.errorCode(), e.message(),
                            e.sw());
    } catch (const ZAZ::OsException& e) {
        throw CIASException(CIASException::IAS_ERR_CARD_FRAMEWORK, e.errorCode(), e.message(), 0);
    } catch (const ZAZ::CardFrameworkException& e) {
        throw CIASException(CIASException::IAS_ERR_CARD_FRAMEWORK, e.errorCode(), e.message(), 0);
    }
}

/// Refills `out`, a list of exported views held by a reader, from the
/// library's list `in`: emptied, then one converted copy per element in order.
template <class Out, class In, class Convert>
void RebuildViews(std::vector<Out>& out, const std::vector<In>& in, Convert convert) {
    out.clear();
    out.reserve(in.size());
    for (const In& item : in) {
        out.push_back(convert(item));
    }
}

/// The internal object of an exported class, built from `args` inside the
/// boundary; its later copies (the exported class's implicit copy and
/// assignment) pass the boundary too. Use: `m_impl(MakeOwned<IAS::X>(args...))`,
/// or `MakeOwned<IAS::Base, IAS::Derived>(args...)` for a derived object held
/// by its base (copies are then copies of the derived object).
/// A U that cannot be copied (a card handle's connection) is simply owned.
template <class T, class U = T, class... Args> Owned<T> MakeOwned(Args&&... args) {
    return Guarded([&] {
        if constexpr (std::is_copy_constructible<U>::value) {
            return Owned<T>(static_cast<T*>(new U(std::forward<Args>(args)...)),
                            [](const T& t) -> T* {
                                // t was made here as a U, and copies keep this copier
                                return Guarded([&] { return new U(static_cast<const U&>(t)); });
                            });
        } else {
            return Owned<T>(new U(std::forward<Args>(args)...));
        }
    });
}

} // namespace ias

#endif
