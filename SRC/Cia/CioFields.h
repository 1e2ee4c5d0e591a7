#ifndef CIA_CIOFIELDS_H
#define CIA_CIOFIELDS_H

// Attribute records described as tables: each field names its SEQUENCE member,
// its record member and the codec that reads and writes it, so that one
// generic decode and one generic encode serve every record.

#include "Asn1/CBitString.h"
#include "Asn1/CBoolean.h"
#include "Asn1/CGeneralizedTime.h"
#include "Asn1/CInteger.h"
#include "Asn1/CObjectIdentifier.h"
#include "Asn1/CSequenceOf.h"
#include "Cia/CioDer.h"
#include "Fci/CCiaPath.h"

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace IAS {
namespace cio {

/// One member of a record: read from a present element, written unless it
/// holds its absent value.
template <class R> struct Field {
    const char* name;
    void (*decode)(const IASSCU::CDerOctet& element, R& record);
    void (*encode)(const R& record, IASSCU::CSequence& s, const char* name);
};

template <class M> struct MemberOf;
template <class R, class T> struct MemberOf<T R::*> { using Record = R; };

/// The field `name` held in record member M, through `Codec`.
template <class Codec, auto M>
constexpr Field<typename MemberOf<decltype(M)>::Record> field(const char* name) {
    using R = typename MemberOf<decltype(M)>::Record;
    return {name, [](const IASSCU::CDerOctet& e, R& r) { Codec::read(e, r.*M); },
            [](const R& r, IASSCU::CSequence& s, const char* n) { Codec::write(s, n, r.*M); }};
}

/// The element member `name` of the matched `s` holds; null when absent. A
/// mandatory or DEFAULT member always holds one, so only an optional one is
/// compared with the absent marker (a comparison that encodes both sides).
inline const IASSCU::CDerOctet* matched(const IASSCU::CSequence& s, const char* name) {
    for (const IASSCU::CSequence::Member& m : s.members()) {
        if (m.name == name) {
            const bool optional =
                (m.flags & IASSCU::CSequence::Optional) != 0 && m.defaultValue == nullptr;
            return !optional || m.slot != IASSCU::CDerOctet::defaultElement() ? &m.slot : nullptr;
        }
    }
    fail(ZAZ::Msg::kIllegalParameter);
}

/// Fills `record` from the members of the matched `s` that hold an element, in table order.
template <class Table, class R>
void decodeFields(const Table& table, const IASSCU::CSequence& s, R& record) {
    for (const auto& f : table) {
        if (const IASSCU::CDerOctet* e = matched(s, f.name)) {
            f.decode(*e, record);
        }
    }
}

/// Sets the members of `s` from `record`, in table order.
template <class Table, class R>
void encodeFields(const Table& table, const R& record, IASSCU::CSequence& s) {
    for (const auto& f : table) {
        f.encode(record, s, f.name);
    }
}

constexpr bool kAlways = true;

/// Content bytes through `View`; empty is absent unless the member is always written.
template <class View, bool Always = false> struct Octets {
    static void read(const IASSCU::CDerOctet& e, ZAZ::ByteVector& v) { v = View(e).content(); }
    static void write(IASSCU::CSequence& s, const char* n, const ZAZ::ByteVector& v) {
        if (Always || !v.empty()) {
            s.setMember(n, View(v));
        }
    }
};

/// Named bits 0 to 31: always written, or only when set for an optional mask.
struct Bits {
    template <class T> static void read(const IASSCU::CDerOctet& e, T& v) {
        v = IASSCU::CBitString(e).toMask();
    }
    static void write(IASSCU::CSequence& s, const char* n, std::uint32_t v) {
        s.setMember(n, IASSCU::CBitString(v));
    }
    static void write(IASSCU::CSequence& s, const char* n, const std::optional<std::uint32_t>& v) {
        if (v) {
            write(s, n, *v);
        }
    }
};

template <std::int32_t Absent> struct Int {
    static void read(const IASSCU::CDerOctet& e, std::int32_t& v) {
        v = IASSCU::CInteger(e).value();
    }
    static void write(IASSCU::CSequence& s, const char* n, std::int32_t v) {
        if (v != Absent) {
            s.setMember(n, IASSCU::CInteger(v));
        }
    }
};

/// A BOOLEAN with a DEFAULT: read as the default when absent, always set (the
/// table leaves the default out).
struct Bool {
    static void read(const IASSCU::CDerOctet& e, bool& v) { v = IASSCU::CBoolean(e).value(); }
    static void write(IASSCU::CSequence& s, const char* n, bool v) {
        s.setMember(n, IASSCU::CBoolean(v));
    }
};

/// A GeneralizedTime kept as its content text, zone letter and fraction
/// included, so that it is written back with exactly the octets it was read with.
struct Time {
    static void read(const IASSCU::CDerOctet& e, std::string& v) {
        const ZAZ::ByteVector text = IASSCU::CGeneralizedTime(e).content();
        v.assign(reinterpret_cast<const char*>(text.data()), static_cast<std::size_t>(text.size()));
    }
    static void write(IASSCU::CSequence& s, const char* n, const std::string& v) {
        if (!v.empty()) {
            IASSCU::CGeneralizedTime time;
            time.setContent(ZAZ::ByteVector(reinterpret_cast<const unsigned char*>(v.data()),
                                            static_cast<std::int32_t>(v.size())));
            s.setMember(n, time);
        }
    }
};

/// Object identifier text; empty when absent.
struct Oid {
    static void read(const IASSCU::CDerOctet& e, std::string& v) {
        v = IASSCU::CObjectIdentifier(e).toString();
    }
    static void write(IASSCU::CSequence& s, const char* n, const std::string& v) {
        if (!v.empty()) {
            s.setMember(n, IASSCU::CObjectIdentifier(v));
        }
    }
};

/// A SEQUENCE OF INTEGERs or of parts built from and encoding to their element.
struct List {
    template <class T> static void read(const IASSCU::CDerOctet& e, std::vector<T>& v) {
        const IASSCU::CSequenceOf list(e);
        for (const IASSCU::CDerOctet* child : list.children()) {
            if constexpr (std::is_same_v<T, std::int32_t>) {
                v.push_back(IASSCU::CInteger(*child).value());
            } else {
                v.emplace_back(*child);
            }
        }
    }
    template <class T>
    static void write(IASSCU::CSequence& s, const char* n, const std::vector<T>& v) {
        if (v.empty()) {
            return;
        }
        IASSCU::CSequenceOf list;
        for (const T& item : v) {
            if constexpr (std::is_same_v<T, std::int32_t>) {
                list.add(IASSCU::CInteger(item));
            } else {
                list.add(IASSCU::CDerOctet(item.encode()));
            }
        }
        s.setMember(n, list);
    }
};

/// The complete element as it stands, or as `View` reads it (which may check
/// the form and replace an implicit tag); empty when absent.
template <class View = void> struct Encoded {
    static void read(const IASSCU::CDerOctet& e, ZAZ::ByteVector& v) {
        if constexpr (std::is_void_v<View>) {
            v = e.encoding();
        } else {
            v = View(e).encoding();
        }
    }
    static void write(IASSCU::CSequence& s, const char* n, const ZAZ::ByteVector& v) {
        setEncoded(s, n, v);
    }
};

/// A value that decodes from its element and is left out when it encodes to nothing.
struct Element {
    template <class T> static void read(const IASSCU::CDerOctet& e, T& v) { v.decode(e); }
    static void read(const IASSCU::CDerOctet& e, CCiaPath& v) { v.decode(e.encoding()); }
    template <class T> static void write(IASSCU::CSequence& s, const char* n, const T& v) {
        setEncoded(s, n, v.encode());
    }
};

/// A nested structure left out when null.
struct Part : Element {
    template <class T> static void write(IASSCU::CSequence& s, const char* n, const T& v) {
        if (!v.isNull()) {
            setEncoded(s, n, v.encode());
        }
    }
};

} // namespace cio
} // namespace IAS

#endif
