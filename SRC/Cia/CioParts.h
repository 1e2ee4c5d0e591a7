#ifndef CIA_CIOPARTS_H
#define CIA_CIOPARTS_H

// The type attributes of the four key kinds.

#include "Asn1/CISOSequence.h"
#include "Cia/CCioKeyInfo.h"
#include "Cia/CioFields.h"

namespace IAS {
namespace cio {

/// The type attributes of a key kind, table N: value (a path or an object
/// value, V), modulusLength (RSA tables; -1 when absent) and keyInfo.
template <IASSCU::ISOSequences N, class V> struct KeyType {
    V value;
    std::int32_t modulusLength = -1;
    CCioKeyInfo keyInfo;

    /// Fills the fields from the typeAttributes element.
    void decode(const IASSCU::CDerOctet& element) {
        decodeFields(fields(), IASSCU::CISOSequence<N>{element}, *this);
    }

    ZAZ::ByteVector encode() const {
        IASSCU::CISOSequence<N> s;
        encodeFields(fields(), *this, s);
        return assembled(s);
    }

    static const auto& fields() {
        static constexpr Field<KeyType> kRsa[] = {
            field<Element, &KeyType::value>("value"),
            field<Int<-1>, &KeyType::modulusLength>("modulusLength"),
            field<Part, &KeyType::keyInfo>("keyInfo")};
        // The DH tables have no modulusLength member.
        static constexpr Field<KeyType> kDh[] = {kRsa[0], kRsa[2]};
        if constexpr (N == IASSCU::PrivateRsaKeyAttributes || N == IASSCU::PublicRsaKeyAttributes) {
            return kRsa;
        } else {
            return kDh;
        }
    }
};

} // namespace cio
} // namespace IAS

#endif
