#ifndef API_FACADE_FACADE_H
#define API_FACADE_FACADE_H

// The one shape of an exported value class over its internal object: build
// the object inside the exception boundary, and read each attribute through a
// getter of the internal class, converted to the exported type.

#include "Api/Facade/BlobBytes.h"
#include "Api/Facade/Boundary.h"

#include <ias/Owned.h>

#include <string>
#include <vector>

namespace ias {

/// Internal value -> exported value. Exported classes convert from their
/// internal class by a constructor; byte vectors become blobs.
template <class Out> struct ToPublic {
    template <class In> static Out from(const In& in) { return Out(in); }
};
template <> struct ToPublic<CBlob> {
    static CBlob from(const ZAZ::ByteVectorBase& in) { return BlobOf(in); }
};
template <class E> struct ToPublic<std::vector<E>> {
    template <class In> static std::vector<E> from(const std::vector<In>& in) {
        std::vector<E> out;
        out.reserve(in.size());
        for (const In& item : in) {
            out.push_back(ToPublic<E>::from(item));
        }
        return out;
    }
};

/// `getter` of the internal object, as exported type `Out`.
template <class Out, class Impl, class R> Out Read(const Impl& impl, R (Impl::*getter)() const) {
    return Guarded([&] { return ToPublic<Out>::from((impl.*getter)()); });
}

} // namespace ias

#endif
