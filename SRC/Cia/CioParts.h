#ifndef CIA_CIOPARTS_H
#define CIA_CIOPARTS_H

// Attribute parts that several CIO kinds share: lists of credential
// identifiers, stored time texts, and the type attributes of the four key kinds.

#include "Asn1/CGeneralizedTime.h"
#include "Asn1/CISOSequence.h"
#include "Asn1/CSequenceOf.h"
#include "Cia/CCioCredentialIdentifier.h"
#include "Cia/CCioKeyInfo.h"
#include "Cia/CioDer.h"

#include <string>
#include <vector>

namespace IAS {
namespace cio {

/// The complete encoding of a member as it stands, tag included; empty when absent.
inline ZAZ::ByteVector present(const IASSCU::CSequence& s, const char* name) {
    return s.isPresent(name) ? s.member(name).encoding() : ZAZ::ByteVector();
}

/// The credential identifiers of a SEQUENCE OF member, in order; empty when absent.
inline std::vector<CCioCredentialIdentifier> identifiers(const IASSCU::CSequence& s,
                                                         const char* name) {
    std::vector<CCioCredentialIdentifier> out;
    if (s.isPresent(name)) {
        const IASSCU::CSequenceOf list(s.member(name));
        for (const IASSCU::CDerOctet* child : list.children()) {
            out.emplace_back(*child);
        }
    }
    return out;
}

/// Sets member `name` to the SEQUENCE OF `list`, unless the list is empty.
inline void setIdentifiers(IASSCU::CSequence& s, const char* name,
                           const std::vector<CCioCredentialIdentifier>& list) {
    if (!list.empty()) {
        IASSCU::CSequenceOf seq;
        for (const CCioCredentialIdentifier& id : list) {
            seq.add(IASSCU::CDerOctet(id.encode()));
        }
        s.setMember(name, seq);
    }
}

/// The content octets of a GeneralizedTime member as text, unchanged (zone
/// letter and fraction kept); empty when absent. A constructed element is
/// "Error encountered while decoding format.".
inline std::string storedTime(const IASSCU::CSequence& s, const char* name) {
    const ZAZ::ByteVector text = octets<IASSCU::CGeneralizedTime>(s, name);
    return std::string(reinterpret_cast<const char*>(text.data()),
                       static_cast<std::size_t>(text.size()));
}

/// Sets member `name` to a GeneralizedTime holding `text` as it is, unless
/// empty: a stored time is written back with exactly the octets it was read with.
inline void setStoredTime(IASSCU::CSequence& s, const char* name, const std::string& text) {
    if (!text.empty()) {
        IASSCU::CGeneralizedTime time;
        time.setContent(ZAZ::ByteVector(reinterpret_cast<const unsigned char*>(text.data()),
                                        static_cast<std::int32_t>(text.size())));
        s.setMember(name, time);
    }
}

/// The type attributes of a key kind, table N: value (a path or an object
/// value, Value), modulusLength (RSA tables; -1 when absent) and keyInfo.
template <IASSCU::ISOSequences N, class Value> struct KeyType {
    static constexpr bool kRsa =
        N == IASSCU::PrivateRsaKeyAttributes || N == IASSCU::PublicRsaKeyAttributes;

    Value value;
    std::int32_t modulusLength = -1;
    CCioKeyInfo keyInfo;

    /// Fills the fields from the typeAttributes element.
    void decode(const IASSCU::CDerOctet& element) {
        const IASSCU::CISOSequence<N> s{element};
        value = Value(s.member("value").encoding());
        if (kRsa) {
            modulusLength = integer(s, "modulusLength", -1);
        }
        if (s.isPresent("keyInfo")) {
            keyInfo = CCioKeyInfo(s.member("keyInfo"));
        }
    }

    ZAZ::ByteVector encode() const {
        IASSCU::CISOSequence<N> s;
        setEncoded(s, "value", value.encode());
        if (kRsa && modulusLength != -1) {
            s.setMember("modulusLength", IASSCU::CInteger(modulusLength));
        }
        if (!keyInfo.isNull()) {
            setEncoded(s, "keyInfo", keyInfo.encode());
        }
        return assembled(s);
    }
};

} // namespace cio
} // namespace IAS

#endif
