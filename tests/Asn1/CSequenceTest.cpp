#include "Asn1/CSequence.h"
#include "Asn1/CBoolean.h"
#include "Asn1/CISOSequence.h"
#include "Asn1/CInteger.h"
#include "Asn1/CSet.h"
#include "Asn1/CUniversalOctet.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace IASSCU;
using namespace testsupport;
using ZAZ::ByteVector;

namespace {

const char* const kMissing = "Mandatory data member is missing.";

// a INTEGER, b [0] IMPLICIT OPTIONAL, c OCTET STRING, d [1] EXPLICIT BOOLEAN DEFAULT FALSE
CSequence sample(const char* hex) {
    CSequence s{CDerOctet(ByteVector(hex))};
    s.addMember("a", Universal, 2, 0);
    s.addMember("b", ContextSpecific, 0, CSequence::Implicit | CSequence::Optional);
    s.addMember("c", Universal, 4, 0);
    static const CBoolean no(false);
    s.addMember("d", ContextSpecific, 1, CSequence::Explicit, &no);
    return s;
}

TEST(CSequence, MatchesMembersInOrderAndAssemblesOmittingDefaults) {
    struct Row {
        const char* hex;
        const char* message;
        const char* a = "";
        const char* b = ""; // "" when absent
        const char* c = "";
        const char* d = "";
    };
    const Row rows[] = {
        {"30 05 02 01 01 04 00", "", "02 01 01", "", "04 00", "01 01 00"},
        {"30 07 02 01 01 80 00 04 00", "", "02 01 01", "80 00", "04 00", "01 01 00"},
        {"30 05 02 01 01 80 00", kMissing},
        {"30 07 02 01 01 05 00 04 00", kMissing}, // NULL is never consumed
        {"30 0A 02 01 01 04 00 A1 03 01 01 FF", "", "02 01 01", "", "04 00", "01 01 FF"},
        {"30 07 02 01 01 04 00 A1 00", kDecoding},
        {"30 0A 02 01 01 04 00 A1 03 81 01 FF", "", "02 01 01", "", "04 00", "81 01 FF"},
        {"30 0C 02 01 01 04 00 A1 05 01 01 FF 05 00", kDecoding},
        {"30 08 02 01 01 04 00 81 01 FF", kDecoding},
        {"30 09 02 01 01 04 00 05 00 05 00", "", "02 01 01", "", "04 00", "01 01 00"},
        {"30 00", kMissing},
        {"A3 05 02 01 01 04 00", "", "02 01 01", "", "04 00", "01 01 00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        CSequence s = sample(row.hex);
        EXPECT_EQ(failureOf([&] { s.match(); }), row.message);
        if (*row.message != '\0') {
            EXPECT_FALSE(s.isPresent("a")); // a failed match leaves the slots alone
            continue;
        }
        EXPECT_EQ(hexOf(s.member("a").encoding()), row.a);
        EXPECT_EQ(s.isPresent("b"), *row.b != '\0');
        if (s.isPresent("b")) {
            EXPECT_EQ(hexOf(s.member("b").encoding()), row.b);
        }
        EXPECT_EQ(hexOf(s.member("c").encoding()), row.c);
        EXPECT_EQ(hexOf(s.member("d").encoding()), row.d);
    }
    EXPECT_EQ(failureOf([] { sample("30 00").member("z"); }), kIllegal);
    // assembly omits members at their default
    CSequence s = sample("30 00");
    EXPECT_EQ(failureOf([&] { s.assemble(); }), kMissing);
    s.setMember("a", CInteger(7));
    s.setMember("c", COctetString(ByteVector("50 15")));
    s.assemble();
    EXPECT_EQ(hexOf(s.encoding()), "30 07 02 01 07 04 02 50 15");
    s.setMember("d", CBoolean(false));
    s.assemble();
    EXPECT_EQ(hexOf(s.encoding()), "30 07 02 01 07 04 02 50 15");
    s.setMember("d", CBoolean(true));
    s.setMember("b", COctetString(ByteVector("AA")));
    s.assemble();
    EXPECT_EQ(hexOf(s.encoding()), "30 0F 02 01 07 80 01 AA 04 02 50 15 A1 03 01 01 FF");
    // The encoding decodes and matches back to the same members.
    CSequence back = sample(hexOf(s.encoding()).c_str());
    back.match();
    EXPECT_EQ(hexOf(back.member("b").encoding()), "80 01 AA");
    EXPECT_EQ(CBoolean(back.member("d")).value(), true);

    CSet set;
    set.addMember("x", ContextSpecific, 1, CSequence::Implicit);
    set.addMember("y", Universal, 2, 0);
    set.setMember("x", CInteger(1));
    set.setMember("y", CInteger(2));
    static_cast<CSequence&>(set).assemble(); // the real type picks SET order
    EXPECT_EQ(hexOf(set.encoding()), "31 06 02 01 02 81 01 01");
}

template <ISOSequences N> std::string memberOf(const CDerOctet& e, const char* member) {
    return hexOf(CISOSequence<N>(e).member(member).encoding());
}

TEST(CISOSequence, TablesMatchCiaStructures) {
    struct Row {
        std::string (*table)(const CDerOctet&, const char*);
        const char* hex;
        const char* member;
        const char* expected; // "" when the match fails
    };
    // Each row decodes through one member table and reads one member back.
    const Row rows[] = {
        {memberOf<Path>, "30 0A 04 02 50 15 02 01 00 80 01 10", "length", "80 01 10"},
        {memberOf<PasswordAttributes>, "30 0D 03 02 07 80 0A 01 01 02 01 04 02 01 08",
         "pwdReference", "02 01 00"},
        {memberOf<CommonKeyAttributes>, "30 0D 04 01 45 03 02 06 40 01 01 00 02 01 02", "native",
         "01 01 00"},
        {memberOf<CommonKeyAttributes>, "30 0A 04 01 45 03 02 06 40 02 01 02", "native",
         "01 01 FF"},
        {memberOf<CommonCertificateAttributes>, "30 08 04 01 45 A1 03 02 01 01", "trustedUsage",
         "A1 03 02 01 01"},
        {memberOf<CioObject>, "30 04 30 00 A1 00", "typeAttributes", ""},
        {memberOf<CioObject>, "30 07 30 00 A1 03 30 01 00", "typeAttributes", "30 01 00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        std::string got;
        const std::string message =
            failureOf([&] { got = row.table(CDerOctet(ByteVector(row.hex)), row.member); });
        EXPECT_EQ(got, row.expected);
        EXPECT_EQ(message, *row.expected ? "" : kDecoding);
    }
    // The 30 enumerators have a table each; the gaps between them are refused.
    int tables = 0;
    for (int n = 0; n <= 42; ++n) {
        SCOPED_TRACE(n);
        CSequence s;
        const std::string message =
            failureOf([&] { AddISOSequenceMembers(static_cast<ISOSequences>(n), s); });
        EXPECT_EQ(message, s.members().empty() ? kIllegal : "");
        tables += message.empty() ? 1 : 0;
    }
    EXPECT_EQ(tables, 30);
}

} // namespace
