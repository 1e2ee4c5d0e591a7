#include "Cia/CCioAuthReference.h"
#include "Cia/CCioCredentialIdentifier.h"
#include "Cia/CCioKeyInfo.h"
#include "Cia/CCioObjectValue.h"
#include "Cia/CCioUsage.h"
#include "CioTestSupport.h"

#include <ias/CCioCredentialIdentifier.h>
#include <ias/CCioUsage.h>

#include <gtest/gtest.h>

namespace {
using ciotest::kMissing;
using testsupport::failureOf;
using testsupport::hexOf;
using testsupport::kDecoding;
using ZAZ::ByteVector;

// Each value type: a row decodes to `summary` (fields joined by '|') and, when
// `canonical`, encodes back to the same bytes; or it fails with `failure`.
struct Row {
    const char* hex;
    const char* summary; // null when decoding fails
    const char* failure;
    bool canonical;
};

template <class T, class Summary> void checkRows(const std::vector<Row>& rows, Summary summary) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        if (row.summary == nullptr) {
            EXPECT_EQ(failureOf([&] { T{ByteVector(row.hex)}; }), row.failure);
            continue;
        }
        const T value{ByteVector(row.hex)};
        EXPECT_EQ(summary(value), row.summary);
        const ByteVector again = value.encode();
        if (!again.empty()) { // an unknown object value writes nothing
            EXPECT_EQ(summary(T(again)), row.summary);
        }
        if (row.canonical) {
            EXPECT_EQ(hexOf(again), row.hex);
        }
    }
}
} // namespace

TEST(CCioValueTest, BitStringsReadNamedBitNAsTwoToTheN) {
    checkRows<IAS::CCioAuthReference>(
        {
            {"30 04 03 02 07 80", "1|-1", nullptr, true},
            {"30 04 03 02 06 40", "2|-1", nullptr, true},
            {"30 04 03 02 00 80", "1|-1", nullptr, false},      // unused-bit count not minimal
            {"30 05 03 03 00 00 40", "200|-1", nullptr, false}, // bit 9, second byte
            {"30 07 03 05 00 00 00 00 01", "80000000|-1", nullptr, true}, // bit 31
            {"30 08 03 06 00 00 00 00 00 80", "0|-1", nullptr, false},    // bit 32 ignored
            {"30 08 03 06 00 FF FF FF FF FF", "FFFFFFFF|-1", nullptr, false},
            {"30 03 03 01 00", "0|-1", nullptr, true},
            {"30 07 03 02 07 80 02 01 05", "1|5", nullptr, true},
            {"30 02 03 00", nullptr, kDecoding, false}, // no unused-bit count
            {"30 03 02 01 05", nullptr, kMissing, false},
        },
        [](const IAS::CCioAuthReference& r) {
            return ciotest::hex32(r.authMethod()) + "|" + std::to_string(r.seIdentifier());
        });
}

TEST(CCioValueTest, UsageKeyInfoAndCredentialIdentifiers) {
    const auto usage = [](const IAS::CCioUsage& u) {
        std::string s = ciotest::hex32(u.keyUsage()) + (u.isNull() ? "|null" : "");
        for (const std::string& oid : u.extKeyUsage()) {
            s += "|" + oid;
        }
        return s;
    };
    checkRows<IAS::CCioUsage>(
        {
            {"30 00", "FFFFFFFF|null", nullptr, true},
            {"30 04 03 02 05 20", "4", nullptr, true},
            {"30 0C 30 0A 06 08 2B 06 01 05 05 07 03 02", "FFFFFFFF|1 3 6 1 5 5 7 3 2", nullptr,
             true},
            {"30 10 03 02 05 20 30 0A 06 03 55 1D 25 06 03 2A 03 04", "4|2 5 29 37|1 2 3 4",
             nullptr, true},
            {"30 04 30 02 05 00", nullptr, kDecoding, false}, // not an OID
            {"04 00", nullptr, kDecoding, false},
        },
        usage);
    EXPECT_TRUE(IAS::CCioUsage().isNull());

    checkRows<IAS::CCioKeyInfo>(
        {
            {"30 02 05 00", "05 00|FFFFFFFF", nullptr, true},
            {"30 07 02 01 01 03 02 06 40", "02 01 01|2", nullptr, true},
            {"02 01 05", nullptr, kDecoding, false}, // a bare key reference
            {"30 00", nullptr, kMissing, false},
        },
        [](const IAS::CCioKeyInfo& k) {
            return hexOf(k.parameters()) + "|" + ciotest::hex32(k.operations());
        });
    EXPECT_TRUE(IAS::CCioKeyInfo().isNull());

    checkRows<IAS::CCioCredentialIdentifier>(
        {
            {"30 06 02 01 01 04 01 AA", "1|04 01 AA", nullptr, true},
            {"30 05 02 01 09 05 00", "9|05 00", nullptr, true},
            {"30 06 02 01 00 04 01 AA", nullptr, kDecoding, false},
            {"30 06 02 01 0A 04 01 AA", nullptr, kDecoding, false},
            {"30 03 02 01 01", nullptr, kMissing, false},
        },
        [](const IAS::CCioCredentialIdentifier& c) {
            EXPECT_EQ(c.octetStringIdValue(), c.idValue());
            return std::to_string(c.idType()) + "|" + hexOf(c.idValue());
        });
    EXPECT_EQ(IAS::CCioCredentialIdentifier().idType(), -1);
    EXPECT_EQ(ias::CCioUsage(ias::_HB("30 04 03 02 05 20")).keyUsage(), 4u); // through the facade
    const ias::CCioCredentialIdentifier id(ias::_HB("30 06 02 01 01 04 01 AA"));
    EXPECT_TRUE(id.octetStringIdValue() == ias::_HB("04 01 AA"));
}

TEST(CCioValueTest, ObjectValuesInEveryForm) {
    checkRows<IAS::CCioObjectValue>(
        {
            {"A0 03 04 01 AA", "1|04 01 AA", nullptr, true},
            {"30 06 04 04 3F 00 50 15", "2|30 06 04 04 3F 00 50 15", nullptr, true},
            {"13 03 61 62 63", "3|61 62 63", nullptr, true},
            {"16 03 61 62 63", "4|61 62 63", nullptr, true},
            {"A3 05 16 03 61 62 63", "5|30 05 16 03 61 62 63", nullptr, true},
            {"01 01 FF", "0|", nullptr, false}, // unknown forms are no failure
            {"A1 00", "0|", nullptr, false},
            {"A0 04 05 00 05 00", nullptr, kDecoding, false},
            {"", nullptr, "BER octet is empty.", false},
        },
        [](const IAS::CCioObjectValue& v) {
            return std::to_string(v.type()) + "|" + hexOf(v.value());
        });
}
