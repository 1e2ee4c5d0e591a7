#ifndef CIA_CIODER_H
#define CIA_CIODER_H

// Small readers and writers shared by the CIO attribute decoders: each takes
// one member of a matched SEQUENCE through the view of its type and answers
// the absent-value sentinel when the member is not there.

#include "Asn1/CBitString.h"
#include "Asn1/CInteger.h"
#include "Asn1/CSequence.h"
#include "Asn1/TagClass.h"
#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/Messages.h"

#include <cstdint>

namespace IAS {
namespace cio {

/// Absent BIT STRING values that have no natural zero.
constexpr std::uint32_t kNoBits = 0xFFFFFFFF;

[[noreturn]] inline void fail(const char* message) {
    throw ZAZ::CardFrameworkException(message);
}

inline bool hasTag(const IASSCU::CDerOctet& e, unsigned int tagClass, unsigned int number) {
    return e.tagClass() == tagClass && e.tagNumber() == number;
}

/// Named bits 0 to 31 of a BIT STRING member, or `absent`.
inline std::uint32_t bits(const IASSCU::CSequence& s, const char* name, std::uint32_t absent) {
    return s.isPresent(name) ? IASSCU::CBitString(s.member(name)).toMask() : absent;
}

/// An INTEGER member, or `absent`.
inline std::int32_t integer(const IASSCU::CSequence& s, const char* name, std::int32_t absent) {
    return s.isPresent(name) ? IASSCU::CInteger(s.member(name)).value() : absent;
}

/// Sets member `name` to the element encoded in `der`, unless `der` is empty.
inline void setEncoded(IASSCU::CSequence& s, const char* name, const ZAZ::ByteVectorBase& der) {
    if (!der.empty()) {
        s.setMember(name, IASSCU::CDerOctet(der));
    }
}

/// The sequence's encoding after rebuilding its children from the members.
inline ZAZ::ByteVector assembled(IASSCU::CSequence& s) {
    s.assemble();
    return s.encoding();
}

} // namespace cio
} // namespace IAS

#endif
