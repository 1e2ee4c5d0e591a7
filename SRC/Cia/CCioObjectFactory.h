#ifndef CIA_CCIOOBJECTFACTORY_H
#define CIA_CCIOOBJECTFACTORY_H

// Turning one element of a CIO directory file into an internal object of the
// right concrete class: per base type T (the kind of the file) a registry maps
// the element's CHOICE value to a factory.
//
// How the registries get filled. Each directory file has one table of kinds
// (CioKinds<T>, defined in CioKinds.cpp above all the concrete classes): for
// every CHOICE alternative the library knows, its value, how it is decoded
// (or that it is not), and the text an exported reader refuses it with. The
// registry fills itself from that table on first use, and the exported
// readers take their refusal texts from it. The library's archive for tests
// (ias_internal) is static and a static linker drops an object file nobody
// references, registration objects and all: every reader of kind T calls
// registryOf<T>(), which references the table, which references the concrete
// constructors, so none of them can be dropped. CioRegistration remains for
// additional classes registered during static initialisation.

#include "Asn1/CDerOctet.h"
#include "Cia/CCioFrame.h"

#include <ias/Owned.h>

#include <map>
#include <vector>

namespace IAS {

/// Makes objects of base type T.
template <class T> class CCioObjectFactory {
public:
    virtual ~CCioObjectFactory() = default;
    /// A default object.
    virtual ias::Owned<T> create() const = 0;
    /// An object decoded from the matched frame of one directory-file element;
    /// decoding failures propagate.
    virtual ias::Owned<T> create(const CCioFrame& frame) const = 0;
};

/// The factory of concrete class `Concrete` (derived from T, copyable, with a
/// default constructor and one from a CCioFrame). The objects it
/// makes copy as `Concrete`.
template <class Concrete, class T> class CActualCioObjectFactory : public CCioObjectFactory<T> {
public:
    ias::Owned<T> create() const override { return ias::Owned<T>(new Concrete); }
    ias::Owned<T> create(const CCioFrame& frame) const override {
        return ias::Owned<T>(new Concrete(frame));
    }
};

/// CHOICE value (-1 untagged, n for [n]) -> factory (static, see factoryOf).
template <class T> using CioRegistry = std::map<int, const CCioObjectFactory<T>*>;

/// One alternative of the CHOICE of a directory file of kind T.
template <class T> struct CioKind {
    int choice;
    /// Makes the decoding factory; null for a kind that is known but not
    /// decoded (its elements are skipped at load).
    const CCioObjectFactory<T>* (*factory)();
    /// The text an exported reader refuses this kind with; null for a kind
    /// it presents.
    const char* notSupported;
};

/// The kinds of the directory file of T, and the text for a CHOICE value it
/// does not know. Specialised per kind of file in CioKinds.cpp.
template <class T> struct CioKinds {
    static const std::vector<CioKind<T>>& all();
    static const char* const kInvalid;

    /// The row of `choice`; null when the file does not know it.
    static const CioKind<T>* find(int choice) {
        for (const CioKind<T>& kind : all()) {
            if (kind.choice == choice) {
                return &kind;
            }
        }
        return nullptr;
    }
};

/// The factory of `Concrete`, for a kinds table; lives until process exit.
template <class Concrete, class T> const CCioObjectFactory<T>* factoryOf() {
    static const CActualCioObjectFactory<Concrete, T> factory;
    return &factory;
}

/// Registers `Concrete` under `choice` unless the choice already has a
/// factory: the first registration wins.
template <class Concrete, class T> void addFactory(CioRegistry<T>& registry, int choice) {
    registry.emplace(choice, factoryOf<Concrete, T>());
}

/// T's registry, built from T's table of kinds on first use (thread-safe);
/// lives until process exit.
template <class T> CioRegistry<T>& registryOf() {
    static CioRegistry<T> registry = [] {
        CioRegistry<T> fresh;
        for (const CioKind<T>& kind : CioKinds<T>::all()) {
            if (kind.factory != nullptr) {
                fresh.emplace(kind.choice, kind.factory());
            }
        }
        return fresh;
    }();
    return registry;
}

/// A namespace-scope object that registers `Concrete` in T's registry while
/// the library initialises: `CioRegistration<CCioFooBar, CCioFoo> r(2);`.
template <class Concrete, class T> struct CioRegistration {
    explicit CioRegistration(int choice) { addFactory<Concrete, T>(registryOf<T>(), choice); }
};

/// The object of base type T decoded from `element` by the factory registered
/// for `choice`; null when none is registered, and then the element is not
/// decoded any further.
template <class T> ias::Owned<T> createObject(int choice, const IASSCU::CDerOctet& element) {
    const CioRegistry<T>& registry = registryOf<T>();
    const auto found = registry.find(choice);
    return found == registry.end() ? ias::Owned<T>() : found->second->create(CCioFrame(element));
}

} // namespace IAS

#endif
