#include "Cia/CCioAccessControlRule.h"
#include "CioTestSupport.h"

#include <ias/CCioAccessControlRule.h>
#include <ias/CIASException.h>

#include <gtest/gtest.h>

#include <functional>

namespace {
using ciotest::kMissing;
using IAS::CCioSecurityCondition;
using testsupport::failureOf;
using testsupport::hexOf;
using testsupport::kDecoding;
using testsupport::kUnknown;
using ZAZ::ByteVector;

// Every accessor that answers for one type only must refuse all the others.
void expectWrongTypesRefused(const CCioSecurityCondition& c) {
    const std::pair<int, std::function<void()>> only[] = {
        {CCioSecurityCondition::AuthId, [&] { c.authId(); }},
        {CCioSecurityCondition::AuthReference, [&] { c.authReference(); }},
        {CCioSecurityCondition::Not, [&] { c.notSc(); }},
        {CCioSecurityCondition::And, [&] { c.andSc(); }},
        {CCioSecurityCondition::Or, [&] { c.orSc(); }}};
    for (const auto& accessor : only) {
        if (accessor.first != c.type()) {
            EXPECT_EQ(failureOf(accessor.second), kUnknown)
                << "accessor of type " << accessor.first;
        }
    }
}

// tag, definite length (one byte, or 81 and one byte), content
ByteVector wrap(unsigned char tag, const ByteVector& content) {
    ByteVector der(&tag, 1);
    if (content.size() > 127) {
        der.appendByte(0x81);
    }
    der.appendByte(static_cast<unsigned char>(content.size()));
    der.append(content);
    return der;
}

ByteVector nestedNot(int levels) {
    ByteVector der("05 00");
    for (int i = 0; i < levels; ++i) {
        der = wrap(0xA0, der);
    }
    return der;
}
} // namespace

TEST(CCioSecurityConditionTest, DecodesEveryChoiceAndEncodesItBack) {
    struct Row {
        const char* hex;
        const char* summary; // null when decoding fails
        const char* failure;
    };
    const Row rows[] = {
        {"05 00", "always", nullptr},
        {"04 02 01 02", "id:01 02", nullptr},
        {"30 04 03 02 07 80", "ref:1/-1", nullptr},
        {"30 07 03 02 06 40 02 01 02", "ref:2/2", nullptr},
        {"A0 02 05 00", "not(always)", nullptr},
        {"A1 08 04 01 01 30 03 03 01 00", "and(id:01,ref:0/-1)", nullptr},
        {"A2 06 04 01 01 04 01 02", "or(id:01,id:02)", nullptr},
        // and of (or of (not, always), id), as real cards nest PIN combinations
        {"A1 0C A2 07 A0 03 04 01 01 05 00 04 01 02", "and(or(not(id:01),always),id:02)", nullptr},
        {"A1 02 05 00", nullptr, kDecoding},       // and needs two conditions
        {"A2 02 05 00", nullptr, kDecoding},       // so does or
        {"A0 04 05 00 05 00", nullptr, kDecoding}, // not takes exactly one
        {"A0 00", nullptr, kDecoding},             // not of nothing
        {"80 00", nullptr, kDecoding},             // [0] must be constructed
        {"A3 04 05 00 05 00", nullptr, kDecoding}, // no [3] alternative
        {"01 01 00", nullptr, kDecoding},          // universal tags other than 4, 5, 16
        {"24 02 04 00", nullptr, kDecoding},       // a constructed authId
        {"61 02 05 00", nullptr, kDecoding},       // application class
        {"E0 02 05 00", nullptr, kDecoding},       // private class
        {"30 00", nullptr, kMissing},              // an authReference without authMethod
        {"A1 04 05 00 01 01", nullptr, "Inconsistent data length in BER octet."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        if (row.summary == nullptr) {
            EXPECT_EQ(failureOf([&] { CCioSecurityCondition{ByteVector(row.hex)}; }), row.failure);
            continue;
        }
        const CCioSecurityCondition c{ByteVector(row.hex)};
        EXPECT_EQ(ciotest::describe(c), row.summary);
        expectWrongTypesRefused(c);
        EXPECT_EQ(hexOf(c.encode()), row.hex);
    }
    const CCioSecurityCondition none;
    EXPECT_EQ(none.type(), CCioSecurityCondition::None);
    expectWrongTypesRefused(none);
    EXPECT_EQ(failureOf([&] { none.encode(); }), testsupport::kIllegal);
}

TEST(CCioSecurityConditionTest, NestsToTheDecoderCapAndNoFurther) {
    const CCioSecurityCondition deepest(nestedNot(IASSCU::CDerOctet::kMaxDepth));
    EXPECT_EQ(CCioSecurityCondition(deepest.encode()).encode(), deepest.encode());
    EXPECT_EQ(failureOf([] { CCioSecurityCondition{nestedNot(IASSCU::CDerOctet::kMaxDepth + 1)}; }),
              kDecoding);
    // A rule's condition is a copy of the rule's member, nested no less deeply.
    ByteVector rule("03 02 07 80");
    rule.append(nestedNot(IASSCU::CDerOctet::kMaxDepth + 1));
    rule = wrap(0x30, rule);
    EXPECT_EQ(failureOf([&] { IAS::CCioAccessControlRule{rule}; }), kDecoding);
}

TEST(CCioSecurityConditionTest, RulesPairAccessModesWithConditions) {
    struct Row {
        const char* hex;
        std::uint32_t accessMode;
        const char* condition; // or the failure message when accessMode is 0
    };
    const Row rows[] = {
        {"30 07 03 02 07 80 04 01 01", 0x1, "id:01"},
        {"30 08 03 02 06 40 A0 02 05 00", 0x2, "not(always)"},
        {"30 04 03 02 07 80", 0, kMissing}, // no security condition
        {"30 02 05 00", 0, kMissing},       // no access mode
        {"30 07 03 02 07 80 01 01 00", 0, kDecoding},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        if (row.accessMode == 0) {
            EXPECT_EQ(failureOf([&] { IAS::CCioAccessControlRule{ByteVector(row.hex)}; }),
                      row.condition);
            continue;
        }
        const IAS::CCioAccessControlRule rule{ByteVector(row.hex)};
        EXPECT_EQ(rule.accessMode(), row.accessMode);
        EXPECT_EQ(ciotest::describe(rule.securityCondition()), row.condition);
        EXPECT_FALSE(rule.isNull());
        EXPECT_EQ(hexOf(rule.encode()), row.hex);
    }
    EXPECT_TRUE(IAS::CCioAccessControlRule().isNull());
    EXPECT_EQ(failureOf([] { IAS::CCioAccessControlRule().encode(); }), testsupport::kIllegal);
}

TEST(CCioSecurityConditionTest, PublicClassesCopyAndConvertFailures) {
    const ias::CCioAccessControlRule rule(
        ias::_HB("30 0E 03 02 07 80 A1 08 04 01 01 30 03 03 01 00"));
    const ias::CCioAccessControlRule copy = rule;
    EXPECT_EQ(copy.accessMode(), 1u);
    const std::vector<ias::CCioSecurityCondition> all = copy.securityCondition().andSc();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_TRUE(all[0].authId() == ias::_HB("01"));
    EXPECT_EQ(all[1].authReference().seIdentifier(), -1);
    try {
        copy.securityCondition().orSc();
        ADD_FAILURE() << "orSc on an and condition";
    } catch (const ias::CIASException& e) {
        EXPECT_STREQ(e.descriptionA(), kUnknown);
    }
    EXPECT_EQ(ias::CCioSecurityCondition(ias::_HB("05 00")).type(), 1);
}
