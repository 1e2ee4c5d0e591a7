#ifndef CIA_CCIOOBJECTFACTORY_H
#define CIA_CCIOOBJECTFACTORY_H

// Turning one element of a CIO directory file into an internal object of the
// right concrete class: per base type T (the kind of the file) a registry maps
// the element's CHOICE value to a factory.
//
// How the registries get filled. The library's archive for tests
// (ias_internal) is static, and a static linker drops an object file nobody
// references, registration objects and all. So each registry fills itself on
// first use through CioBuiltIns<T>::addTo, which the base type declares in
// its header (a specialisation, see below) and CioBuiltIns.cpp defines, in
// one table above all the concrete classes. Every file reader of kind T
// instantiates registryOf<T>() and so references addTo, which references the
// concrete constructors: the linker cannot drop any of them. CioRegistration
// remains for additional classes registered during static initialisation.
//
// A base type T opts in, in its header:
//     template <> struct CioBuiltIns<CCioFoo> {
//         static void addTo(CioRegistry<CCioFoo>& registry);
//     };
// and in CioBuiltIns.cpp:
//     void CioBuiltIns<CCioFoo>::addTo(CioRegistry<CCioFoo>& registry) {
//         addFactory<CCioFooBar>(registry, -1);
//     }

#include "Asn1/CDerOctet.h"
#include "Cia/CCioFrame.h"

#include <ias/Owned.h>

#include <map>
#include <memory>

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

/// CHOICE value (-1 untagged, n for [n]) -> factory.
template <class T> using CioRegistry = std::map<int, std::unique_ptr<const CCioObjectFactory<T>>>;

/// The built-in registrations of base type T; specialised per base type.
template <class T> struct CioBuiltIns;

/// Registers `Concrete` under `choice` unless the choice already has a
/// factory: the first registration wins.
template <class Concrete, class T> void addFactory(CioRegistry<T>& registry, int choice) {
    registry.emplace(choice, std::unique_ptr<const CCioObjectFactory<T>>(
                                 new CActualCioObjectFactory<Concrete, T>));
}

/// T's registry, built with T's built-in registrations on first use
/// (thread-safe); lives until process exit.
template <class T> CioRegistry<T>& registryOf() {
    static CioRegistry<T> registry = [] {
        CioRegistry<T> fresh;
        CioBuiltIns<T>::addTo(fresh);
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
