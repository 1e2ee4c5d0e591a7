#include "Fci/CCiaPath.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using IAS::CCiaPath;
using namespace testsupport;
using ZAZ::ByteVector;

namespace {

CCiaPath pathOf(const char* efidOrPath, const char* aid = "") {
    CCiaPath p;
    p.setEfidOrPath(ByteVector(efidOrPath));
    p.setAid(ByteVector(aid));
    return p;
}

TEST(CCiaPath, DecodesEveryObjectRefKind) {
    struct Row {
        const char* hex;
        const char* message;
        int kind = 0;
        const char* aid = "";
        const char* tag = "";
        const char* efid = "";
        int index = -1;
        int length = -1;
    };
    const Row rows[] = {
        {"30 04 04 02 50 15", "", 1, "", "", "50 15", -1, -1},
        {"30 0A 04 02 50 15 02 01 00 80 01 10", "", 1, "", "", "50 15", 0, 16},
        {"30 07 04 02 50 15 02 01 00", kDecoding},
        {"30 07 04 02 50 15 80 01 10", "", 1, "", "", "50 15", -1, -1}, // length alone ignored
        {"30 0D A1 0B 4F 05 A0 00 00 00 01 04 02 50 31", "", 3, "A0 00 00 00 01", "", "50 31", -1,
         -1},
        {"30 08 A0 06 04 01 01 04 01 02", "", 2, "", "01", "02", -1, -1},
        {"30 05 A0 03 04 01 01", "", 2, "", "01", "", -1, -1},
        {"30 0C A2 0A 4F 02 A0 00 04 01 01 04 01 02", "", 4, "A0 00", "01", "02", -1, -1},
        {"30 09 A2 07 4F 02 A0 00 04 01 01", "", 4, "A0 00", "01", "", -1, -1},
        {"30 05 A3 03 04 01 01", kDecoding}, // no such alternative
        {"30 04 80 02 50 15", kDecoding},    // objectRef primitive but tagged
        {"30 04 24 02 04 00", kDecoding},    // constructed OCTET STRING
        {"30 05 A0 03 24 01 00", kDecoding}, // constructed tag member
        {"30 07 A1 05 04 01 01 04 00", "Mandatory data member is missing."}, // [1] without aid
        {"30 00", "Mandatory data member is missing."},
        {"31 04 04 02 50 15", kDecoding},
        {"30 04 04 02 50", "Inconsistent data length in BER octet."},
        {"30 0E 04 02 50 15 02 05 01 00 00 00 00 80 01 00", "Data overflow in BER octet."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        CCiaPath p = pathOf("3F 00");
        EXPECT_EQ(failureOf([&] { p.decode(ByteVector(row.hex)); }), row.message);
        if (*row.message != '\0') {
            EXPECT_EQ(hexOf(p.efidOrPath()), "3F 00"); // unchanged
            EXPECT_EQ(p.kindField(), 0);
            continue;
        }
        EXPECT_EQ(p.kindField(), row.kind);
        EXPECT_EQ(hexOf(p.aid()), row.aid);
        EXPECT_EQ(hexOf(p.tag()), row.tag);
        EXPECT_EQ(hexOf(p.efidOrPath()), row.efid);
        EXPECT_EQ(p.index(), row.index);
        EXPECT_EQ(p.length(), row.length);
        EXPECT_FALSE(p.isNull());
        // Encoding gives back the DER we started from (all rows are minimal DER),
        // except that a length without an index is dropped.
        if (row.index != -1 || std::string(row.hex).find("80 01 10") == std::string::npos) {
            EXPECT_EQ(hexOf(p.encode()), row.hex);
        }
    }
}

TEST(CCiaPath, NormalisesQualifierBytes) {
    struct Row {
        const char* efid;
        const char* aid;
        const char* normalised; // "" with a message
        const char* message;
    };
    const Row rows[] = {
        {"50 15 08", "", "3F 00 50 15", ""},
        {"3F 00 50 15 08", "", "3F 00 50 15", ""},
        {"50 15 09", "", "50 15", ""},
        {"50 15 00", "", "50 15", ""},
        {"50 15 01", "", "50 15", ""},
        {"50 15 02", "", "50 15", ""},
        {"08", "", "", ""},
        {"50 15", "", "50 15", ""},
        {"50 15 05", "", "", kIllegal},
        {"3F 00 50 15", "A0 00", "", kIllegal},
        {"50 15 08", "A0 00", "", kIllegal}, // prefixing the MF then meets the aid
        {"50 15", "A0 00", "50 15", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.efid);
        const CCiaPath p = pathOf(row.efid, row.aid);
        std::string normalised;
        EXPECT_EQ(failureOf([&] { normalised = hexOf(p.normalized().efidOrPath()); }), row.message);
        EXPECT_EQ(normalised, row.normalised);
        EXPECT_EQ(hexOf(p.efidOrPath()), row.efid); // the stored value is never touched
    }
}

TEST(CCiaPath, ParentConcatenationAndResolution) {
    using Op = CCiaPath (*)(const CCiaPath&, const CCiaPath&);
    const Op parent = [](const CCiaPath& a, const CCiaPath&) { return a.parent(); };
    const Op plus = [](const CCiaPath& a, const CCiaPath& b) { return a + b; };
    const Op toEF = [](const CCiaPath& a, const CCiaPath& b) { return b.relativeToEF(a); };
    const Op toDF = [](const CCiaPath& a, const CCiaPath& b) { return b.relativeToDF(a); };
    struct Row {
        Op op;
        const char* a;
        const char* b;
        const char* result; // efidOrPath of the result
        const char* message;
    };
    const Row rows[] = {
        {parent, "3F 00 50 15 44 01", "", "3F 00 50 15", ""},
        {parent, "3F 00", "", "", ""},
        {parent, "02", "", "", ""},
        {parent, "50", "", "", kIllegal},
        {parent, "", "", "", kUnknown},
        {parent, "50 15 44 01 08", "", "3F 00 50 15", ""},
        {plus, "3F 00 50 15", "50 15 44 01", "3F 00 50 15 44 01", ""},
        {plus, "3F 00 50 15", "44 01", "3F 00 50 15 44 01", ""},
        {plus, "50 15 44 01", "3F 00 44 01", "3F 00 44 01", ""},
        {plus, "3F 00 50 15", "50 15 08", "3F 00 50 15", ""}, // b becomes absolute
        {plus, "", "44 01", "44 01", ""},
        {plus, "3F 00", "3F", "", kIllegal},
        {toEF, "3F 00 50 15 44 01", "44 02", "3F 00 50 15 44 02", ""},
        {toDF, "3F 00 50 15", "44 02", "3F 00 50 15 44 02", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " / " + row.b);
        std::string result;
        EXPECT_EQ(
            failureOf([&] { result = hexOf(row.op(pathOf(row.a), pathOf(row.b)).efidOrPath()); }),
            row.message);
        EXPECT_EQ(result, row.result);
    }
    // The result takes the right operand's index and length and the left one's aid.
    CCiaPath app = pathOf("50 15", "A0 00 01");
    CCiaPath part = pathOf("44 01");
    part.setIndex(4);
    part.setLength(10);
    const CCiaPath sum = app + part;
    EXPECT_EQ(hexOf(sum.aid()), "A0 00 01");
    EXPECT_EQ(hexOf(sum.efidOrPath()), "50 15 44 01");
    EXPECT_EQ(sum.index(), 4);
    EXPECT_EQ(sum.length(), 10);
    EXPECT_EQ(sum.parent().index(), -1);
    // Two tag-based paths cannot be joined; one of them may be.
    CCiaPath tagged;
    tagged.setTag(ByteVector("01"));
    EXPECT_EQ(failureOf([&] { tagged + tagged; }), kUnknown);
    EXPECT_EQ(failureOf([&] { tagged.parent(); }), kUnknown);
    EXPECT_EQ(failureOf([&] { tagged + part; }), "");
}

TEST(CCiaPath, FieldRulesAndEquality) {
    CCiaPath p;
    EXPECT_TRUE(p.isNull());
    p.setIndex(0);
    EXPECT_TRUE(p.isNull());
    EXPECT_FALSE(p == CCiaPath());

    // A decoded kind fixes which fields may be set; emptied, it is still no null path.
    struct Row {
        const char* hex;
        const char* aidMessage;
        const char* tagMessage;
    };
    const Row rows[] = {
        {"30 04 04 02 50 15", kIllegal, kIllegal},
        {"30 05 A0 03 04 01 01", kIllegal, ""},
        {"30 0D A1 0B 4F 05 A0 00 00 00 01 04 02 50 31", "", kIllegal},
        {"30 09 A2 07 4F 02 A0 00 04 01 01", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        CCiaPath decoded{ByteVector(row.hex)};
        EXPECT_EQ(failureOf([&] { decoded.setAid(ByteVector("A0")); }), row.aidMessage);
        EXPECT_EQ(failureOf([&] { decoded.setTag(ByteVector("01")); }), row.tagMessage);
        decoded.setAid(ByteVector(""));
        decoded.setTag(ByteVector(""));
        decoded.setEfidOrPath(ByteVector(""));
        EXPECT_FALSE(decoded.isNull());
    }
    CCiaPath plain{ByteVector("30 04 04 02 50 15")};
    CCiaPath withAid{ByteVector("30 0D A1 0B 4F 05 A0 00 00 00 01 04 02 50 31")};
    // A length of -1 read from the card cannot be told from an absent one:
    // the part is dropped when the path is written again.
    const CCiaPath odd{ByteVector("30 0A 04 02 50 9C 02 01 00 80 01 FF")};
    EXPECT_EQ(odd.index(), 0);
    EXPECT_EQ(odd.length(), -1);
    EXPECT_EQ(hexOf(odd.encode()), "30 04 04 02 50 9C");
    // A derived kind equals a decoded one with the same fields.
    EXPECT_TRUE(pathOf("50 15") == plain);
    EXPECT_TRUE(pathOf("50 31", "A0 00 00 00 01") == withAid);
    EXPECT_EQ(hexOf(pathOf("50 31", "A0 00 00 00 01").encode()),
              "30 0D A1 0B 4F 05 A0 00 00 00 01 04 02 50 31");
}

} // namespace
