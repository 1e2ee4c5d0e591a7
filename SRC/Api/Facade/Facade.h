#ifndef API_FACADE_FACADE_H
#define API_FACADE_FACADE_H

// The machinery every exported class is built with, in one place: the
// exception boundary (Guarded, MakeOwned), blob bytes, the shape of a value
// class over its internal object (ToPublic, Read), the shape of a CIO object
// class (InternalAs, DecodeAs, ReadCio) and the object lists of the CIO
// directory files (PresentObjects over a table of PresentedKind, RefuseKind). docs/ARCHITECTURE.md
// shows one class built with it.

#include "Cia/CCioFile.h"
#include "Cia/CCioObjectFactory.h"
#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"
#include "Zaz/Messages.h"
#include "Zaz/OsException.h"

#include <ias/CBlob.h>
#include <ias/CCioObject.h>
#include <ias/CIASException.h>
#include <ias/Owned.h>

#include <algorithm>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace ias {

/// The bytes of `bytes` as a blob, exactly (no added terminator). Built by
/// appending, which has no length limit, so long card data passes whole. The
/// bytes go straight into blobs, which wipe what they release: card data is
/// never left behind in a freed temporary.
inline CBlob BlobOf(const ZAZ::ByteVectorBase& bytes) {
    constexpr std::int32_t kChunk = 512;
    CBlob blob;
    for (std::int32_t offset = 0; offset < bytes.size(); offset += kChunk) {
        const std::int32_t n = std::min(kChunk, bytes.size() - offset);
        CBlob chunk(static_cast<unsigned int>(n), '\0');
        for (std::int32_t i = 0; i < n; ++i) {
            chunk[static_cast<unsigned int>(i)] = bytes.data()[offset + i];
        }
        blob += chunk;
    }
    return blob;
}

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

// The one shape of an exported value class over its internal object: build
// the object inside the exception boundary, and read each attribute through a
// getter of the internal class, converted to the exported type.

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

// The shape of an exported CIO object class. It holds its internal object in
// an Owned<K> of the kind's internal base K: owning when the application
// built it from bytes, a view (Owned<K>::view) when a directory file hands it
// out over one of the file's own objects. Accessors reach the internal object
// through getPrivateObject(), so a class without one answers "Illegal
// parameter in function call.".

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
    return Guarded([&] { return MakeOwned<K, Impl>(IAS::CCioFrame(ZAZ::ByteVector(der))); });
}

/// `getter` of the internal object `self` presents, as exported type `Out`.
template <class Out, class K, class R> Out ReadCio(const CCioObject& self, R (K::*getter)() const) {
    return Read<Out>(InternalAs<K>(self), getter);
}

// The object list of an exported CIO directory file: one exported view per
// internal object of the file, owned by the file and rebuilt on each call.

template <class Public> struct CioViews {
    std::vector<Owned<Public>> owned;
    std::vector<Public*> list;

    CioViews() {}
    // A copied file holds copies of the objects: views of the original's
    // objects would dangle, so the copy starts without views.
    CioViews(const CioViews&) {}
    CioViews& operator=(const CioViews&) {
        list.clear();
        owned.clear();
        return *this;
    }
};

/// The internal reader of an exported file class, as the kind K it must be.
/// A base reader assigned over a derived one (through a reference to the
/// base class) left another kind there: "Illegal parameter in function call.".
template <class K> const K& FileAs(const IAS::CCiaFile& file) {
    const K* kind = dynamic_cast<const K*>(&file);
    if (kind == nullptr) {
        throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
    }
    return *kind;
}

/// An owning copy of a file's object, copied again by clone() whenever the
/// exported object holding it is copied: an exported object handed out by a
/// file, and every copy of it, stays valid after the file is gone.
template <class T> Owned<T> OwnedCopyOf(const T& object) {
    return Owned<T>(static_cast<T*>(object.clone()), [](const T& t) -> T* {
        return Guarded([&] { return static_cast<T*>(t.clone()); });
    });
}

/// Rebuilds `views` over the objects of `file`, a directory file of base
/// type T: `present` maps a non-owning view of one object to its exported
/// object or throws. Views appended before a failure stay.
template <class T, class Public, class Present>
const std::vector<Public*>& PresentObjects(CioViews<Public>& views, const IAS::CCiaFile& file,
                                           Present present) {
    return Guarded([&]() -> const std::vector<Public*>& {
        const auto& objects = FileAs<IAS::CCryptoInfoObjectFile<T>>(file).objects();
        views.list.clear();
        views.owned.clear();
        // Growing would copy the views (Owned copies its pointee) and leave
        // the list pointing at the old ones.
        views.owned.reserve(objects.size());
        for (const Owned<T>& object : objects) {
            Owned<Public> view = present(OwnedCopyOf(*object), object->choice());
            views.owned.emplace_back();
            views.owned.back().swap(view);
            views.list.push_back(views.owned.back().get());
        }
        return views.list;
    });
}

/// The failure of a choice an exported file class presents no class for,
/// worded by the file's table of kinds: code 0 with the kind's "not
/// supported" text for kinds the file knows, code 1 with the file's invalid
/// text and the choice in the status-word field for kinds it does not know.
template <class T> [[noreturn]] void RefuseKind(int choice) {
    const IAS::CioKind<T>* kind = IAS::CioKinds<T>::find(choice);
    if (kind != nullptr && kind->notSupported != nullptr) {
        throw CIASException(CIASException::IAS_ERR_LIBRARY, 0, kind->notSupported, 0);
    }
    throw CIASException(CIASException::IAS_ERR_LIBRARY, 1, IAS::CioKinds<T>::kInvalid,
                        static_cast<unsigned int>(choice));
}

/// The exported class a directory file of kind T presents for one CHOICE
/// value: the public column beside the file's table of kinds.
template <class T, class Public> struct PresentedKind {
    int choice;
    Owned<Public> (*present)(const Owned<T>& object);
};

/// An exported object of class View over `object` (a view, not a copy).
template <class Public, class View, class T> Owned<Public> ViewOf(const Owned<T>& object) {
    return Owned<Public>(new View(object));
}

/// Rebuilds `views` with the exported class `table` gives each object's
/// choice; a choice it lacks is refused by RefuseKind.
template <class T, class Public, std::size_t N>
const std::vector<Public*>& PresentObjects(CioViews<Public>& views, const IAS::CCiaFile& file,
                                           const PresentedKind<T, Public> (&table)[N]) {
    return PresentObjects<T>(views, file, [&](const Owned<T>& object, int choice) {
        for (const PresentedKind<T, Public>& kind : table) {
            if (kind.choice == choice) {
                return kind.present(object);
            }
        }
        RefuseKind<T>(choice);
    });
}

} // namespace ias

#endif
