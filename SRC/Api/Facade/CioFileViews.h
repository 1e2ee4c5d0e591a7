#ifndef API_FACADE_CIOFILEVIEWS_H
#define API_FACADE_CIOFILEVIEWS_H

// The object list of an exported CIO directory file: one exported view per
// internal object of the file, owned by the file and rebuilt on each call.

#include "Api/Facade/Boundary.h"
#include "Cia/CCioFile.h"

#include <ias/CIASException.h>
#include <ias/Owned.h>

#include <vector>

namespace ias {

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

/// Rebuilds `views` over the objects of `file`, a directory file of base
/// type T: `present` maps a non-owning view of one object to its exported
/// object or throws. Views appended before a failure stay.
template <class T, class Public, class Present>
const std::vector<Public*>& PresentObjects(CioViews<Public>& views, const IAS::CCiaFile& file,
                                           Present present) {
    return Guarded([&]() -> const std::vector<Public*>& {
        const auto& objects = static_cast<const IAS::CCryptoInfoObjectFile<T>&>(file).objects();
        views.list.clear();
        views.owned.clear();
        // Growing would copy the views (Owned copies its pointee) and leave
        // the list pointing at the old ones.
        views.owned.reserve(objects.size());
        for (const Owned<T>& object : objects) {
            Owned<Public> view = present(Owned<T>::view(object.get()), object->choice());
            views.owned.emplace_back();
            views.owned.back().swap(view);
            views.list.push_back(views.owned.back().get());
        }
        return views.list;
    });
}

/// The failure of a choice an exported file class presents no class for:
/// code 0 for kinds it knows but does not support, code 1 with the choice
/// in the status-word field for kinds it does not know.
[[noreturn]] inline void NotSupported(const char* what) {
    throw CIASException(CIASException::IAS_ERR_LIBRARY, 0, what, 0);
}
[[noreturn]] inline void InvalidChoice(const char* what, int choice) {
    throw CIASException(CIASException::IAS_ERR_LIBRARY, 1, what, static_cast<unsigned int>(choice));
}

} // namespace ias

#endif
