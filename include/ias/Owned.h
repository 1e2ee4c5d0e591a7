#ifndef IAS_OWNED_H
#define IAS_OWNED_H

/* The one way every libias class holds its private part: a value-semantic
 * pointer. Copying an owning pointer copies the pointee; destroying it deletes
 * the pointee. A view (Owned<T>::view) refers to an object that somebody else
 * owns and copies as a view. The copy and delete operations are captured where
 * T is complete (in the library's own source), so a class may declare an
 * Owned<T> member of an incomplete T and keep its implicit copy, assignment
 * and destructor. A pointee that cannot be copied (a connection) makes the
 * holder non-copyable too: the holder deletes its copy operations. Compiles as
 * C++11. */

#include <exception>
#include <type_traits>

namespace ias {

template <class T> class Owned {
public:
    /// Null; copies are null too. Usable where T is incomplete.
    Owned() : m_p(nullptr), m_copy(nullptr), m_drop(nullptr) {}
    /// Takes ownership of `p`, which may point to a U derived from T: copies
    /// are then copies of the U. Instantiate only where U is complete.
    template <class U>
    explicit Owned(U* p)
        : m_p(p), m_copy(copier<U>(std::is_copy_constructible<U>())), m_drop(&dropOf<U>) {}
    /// Takes ownership of `p`; copies are made by `copy` (e.g. one that
    /// converts the exceptions of the copy at the library's boundary).
    Owned(T* p, T* (*copy)(const T&)) : m_p(p), m_copy(copy), m_drop(&dropOf<T>) {}

    /// A non-owning view of `object`: it is not deleted, and copies are views too.
    static Owned view(T* object) {
        Owned v;
        v.m_p = object;
        return v;
    }

    Owned(const Owned& other)
        : m_p(other.m_copy && other.m_p ? other.m_copy(*other.m_p) : other.m_p),
          m_copy(other.m_copy), m_drop(other.m_drop) {}

    /// Moving hands the pointee over; the source is left null.
    Owned(Owned&& other) noexcept : m_p(nullptr), m_copy(nullptr), m_drop(nullptr) { swap(other); }
    Owned& operator=(Owned&& other) noexcept {
        Owned taken(static_cast<Owned&&>(other));
        swap(taken);
        return *this;
    }

    Owned& operator=(const Owned& other) {
        if (this != &other) {
            Owned fresh(other); // a throwing copy leaves *this untouched
            swap(fresh);
        }
        return *this;
    }

    ~Owned() {
        if (m_drop && m_p) {
            m_drop(m_p);
        }
    }

    void swap(Owned& other) noexcept {
        T* p = m_p;
        m_p = other.m_p;
        other.m_p = p;
        T* (*c)(const T&) = m_copy;
        m_copy = other.m_copy;
        other.m_copy = c;
        void (*d)(T*) = m_drop;
        m_drop = other.m_drop;
        other.m_drop = d;
    }

    /// Replaces the pointee with `p` (owned from now on).
    template <class U> void reset(U* p) {
        Owned fresh(p);
        swap(fresh);
    }

    T& operator*() const { return *m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }
    bool isView() const { return m_drop == nullptr; }

private:
    template <class U> static T* copyOf(const T& t) { return new U(static_cast<const U&>(t)); }
    // Reached only if a holder of a non-copyable pointee forgot to delete its copy.
    static T* refuseCopy(const T&) { std::terminate(); }
    template <class U> static auto copier(std::true_type) -> T* (*)(const T&) { return &copyOf<U>; }
    template <class U> static auto copier(std::false_type) -> T* (*)(const T&) {
        return &refuseCopy;
    }
    template <class U> static void dropOf(T* p) { delete static_cast<U*>(p); }

    T* m_p;
    T* (*m_copy)(const T&);
    void (*m_drop)(T*);
};

} // namespace ias

#endif
