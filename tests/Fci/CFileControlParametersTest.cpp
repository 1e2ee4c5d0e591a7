#include "Fci/CFileControlParameters.h"
#include "Fci/CSecurityAttributeCompact.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using IAS::CFileControlParameters;
using IAS::CSecurityAttributeCompact;
using namespace testsupport;
using ZAZ::ByteVector;

namespace {

std::string attributes(const std::vector<CSecurityAttributeCompact>& list) {
    std::string out;
    for (const auto& a : list) {
        out += (out.empty() ? "" : " | ") + hexOf(a.encode());
    }
    return out;
}

TEST(CFileControlParameters, DecodesTemplates) {
    struct Row {
        const char* hex;
        unsigned int descriptor;
        std::uint32_t size;
        const char* fid;
        const char* sfi;
        unsigned int lifeCycle;
        bool inA1;
        const char* primary;
        const char* secondary;
        const char* dfName;
    };
    const Row rows[] = {
        {"62 03 82 01 38", 0x38, 0, "", "", 0, false, "", "", ""},
        {"6F 06 83 02 2F 00 88 00", 0xFF, 0, "2F 00", "FF", 0, false, "", "", ""},
        {"62 0B 80 02 01 00 81 02 02 00 82 01 01", 0x01, 0x100, "", "", 0, false, "", "", ""},
        {"62 0B 80 02 00 00 81 02 02 00 82 01 01", 0x01, 0x200, "", "", 0, false, "", "", ""},
        {"62 03 88 01 08", 0xFF, 0, "", "08", 0, false, "", "", ""},
        {"62 11 8C 03 03 01 02 A1 0A 8C 03 03 0F 0F 9C 03 03 00 00", 0xFF, 0, "", "", 0, true,
         "03 0F 0F", "03 00 00", ""},
        // With A1 present, 8C outside it is ignored; an empty A1 still sets the flag.
        {"62 08 8C 01 00 A1 03 9C 01 00", 0xFF, 0, "", "", 0, true, "", "00", ""},
        {"62 02 A1 00", 0xFF, 0, "", "", 0, true, "", "", ""},
        // Captures from real cards are checked field by field in RealCardsTest.
        // MyEID DF with a DF name; 86 is ignored.
        {"6F 25 81 02 7F FF 82 01 38 83 02 50 15 86 03 11 1F FF 85 02 00 02 8A 01 07 84 0C A0 00 "
         "00 00 63 50 4B 43 53 2D 31 35",
         0x38, 0x7FFF, "50 15", "", 7, false, "", "", "A0 00 00 00 63 50 4B 43 53 2D 31 35"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        const CFileControlParameters fcp{ByteVector(row.hex)};
        EXPECT_EQ(fcp.descriptor(), row.descriptor);
        EXPECT_EQ(fcp.size(), row.size);
        EXPECT_EQ(hexOf(fcp.fileIdentifier()), row.fid);
        EXPECT_EQ(hexOf(fcp.shortFileIdentifier()), row.sfi);
        EXPECT_EQ(fcp.lifeCycleStatus(), row.lifeCycle);
        EXPECT_EQ(fcp.securityAttributesInA1(), row.inA1);
        EXPECT_EQ(attributes(fcp.primarySecurityAttributes()), row.primary);
        EXPECT_EQ(attributes(fcp.secondarySecurityAttributes()), row.secondary);
        EXPECT_EQ(hexOf(fcp.dfName()), row.dfName);
        // Re-encoding keeps every field that is encoded.
        const CFileControlParameters again(fcp.encode());
        EXPECT_EQ(hexOf(again.encode()), hexOf(fcp.encode()));
        EXPECT_EQ(attributes(again.primarySecurityAttributes()), row.primary);
        // A1 is written only around attributes.
        EXPECT_EQ(again.securityAttributesInA1(), row.inA1 && (*row.primary || *row.secondary));
    }
}

TEST(CFileControlParameters, RefusesBrokenTemplatesAndKeepsFields) {
    struct Row {
        const char* hex;
        const char* message;
    };
    const Row rows[] = {
        {"", kIllegal},
        {"6F 08 62 06 83 02 3F 00 82 00", kDecoding},
        {"63 03 82 01 38", kDecoding},
        {"62 04 82 02 01 21", kDecoding},             // long file descriptor
        {"62 03 80 01 10", kDecoding},                // data size not two bytes
        {"62 08 83 02 3F 00 83 02 2F 00", kDecoding}, // duplicated tag
        {"62 04 88 02 01 02", kDecoding},
        {"62 02 8A 00", kDecoding},
        {"62 07 8C 05 7F 00 01 02 03", kIllegal}, // seven condition bytes announced
        {"62 05 A1 03 9C 01 01", kIllegal},
        {"62 05 82 01 38", kDecoding}, // outer length past the end
        // Failures after other fields were read.
        {"62 0B 82 01 01 83 02 2F 00 8A 02 01 02", kDecoding},
        {"62 0C 83 02 2F 00 8A 01 07 8C 03 7F 00 01", kIllegal},
    };
    const char* const filled = "62 11 82 01 38 83 02 3F 00 8A 01 05 A1 05 8C 03 03 0F 0F";
    const char* const encoded = "62 0E 82 01 38 83 02 3F 00 A1 05 8C 03 03 0F 0F";
    CFileControlParameters fcp{ByteVector(filled)};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        EXPECT_EQ(failureOf([&] { fcp.decode(ByteVector(row.hex)); }), row.message);
        EXPECT_EQ(hexOf(fcp.encode()), encoded);
        EXPECT_EQ(fcp.lifeCycleStatus(), 5);
    }
    // A successful decode over a filled object keeps nothing of it.
    fcp.decode(ByteVector("62 03 82 01 01"));
    EXPECT_EQ(hexOf(fcp.encode()), "62 03 82 01 01");
    EXPECT_EQ(fcp.lifeCycleStatus(), 0);
    EXPECT_FALSE(fcp.securityAttributesInA1());
}

TEST(CFileControlParameters, EncodesInFixedOrder) {
    struct Row {
        const char* hex;
        const char* encoded;
    };
    const Row rows[] = {
        {"62 00", "62 00"},
        {"6F 0E 84 02 A0 00 8A 01 05 83 02 3F 00 82 01 38",
         "62 0B 82 01 38 83 02 3F 00 84 02 A0 00"},
        {"62 09 85 01 01 A5 02 01 02 88 00", "62 09 88 00 A5 02 01 02 85 01 01"},
        {"62 0A A1 05 9C 03 03 00 00 88 01 00", "62 0A 88 01 00 A1 05 9C 03 03 00 00"},
        {"62 0A 9C 01 00 8C 01 80 81 02 00 10", "62 0A 81 02 00 10 8C 01 80 9C 01 00"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        EXPECT_EQ(hexOf(CFileControlParameters(ByteVector(row.hex)).encode()), row.encoded);
    }
    EXPECT_EQ(hexOf(CFileControlParameters().encode()), "62 00");
}

TEST(CSecurityAttributeCompact, DecodesAndReencodes) {
    struct Row {
        const char* hex;
        const char* consumed; // "" when decoding fails
        bool proprietary;
        const char* conditions; // key=byte for each present bit, b7 first
    };
    const Row rows[] = {
        {"00", "00", false, ""},
        {"80", "80", true, ""},
        {"43 11 22 33", "43 11 22 33", false, "40=11 02=22 01=33"},
        {"01 00 FF", "01 00", false, "01=00"},
        {"7F 01 02", "", false, ""},
        {"7B 17 FF 17 17 17 00", "7B 17 FF 17 17 17 00", false,
         "40=17 20=FF 10=17 08=17 02=17 01=00"},
        {"F3 00 00 73 43 00", "F3 00 00 73 43 00", true, "40=00 20=00 10=73 02=43 01=00"},
        {"F0 00 00 00 9C 04", "F0 00 00 00", true, "40=00 20=00 10=00"},
        {"FF 01 02 03 04 05 06 07", "FF 01 02 03 04 05 06 07", true,
         "40=01 20=02 10=03 08=04 04=05 02=06 01=07"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        CSecurityAttributeCompact a{ByteVector("41 AA BB")};
        const std::string message = failureOf([&] { a.decode(ByteVector(row.hex)); });
        if (*row.consumed == '\0') {
            EXPECT_EQ(message, kIllegal);
            EXPECT_EQ(hexOf(a.encode()), "41 AA BB"); // unchanged
            continue;
        }
        EXPECT_EQ(message, "");
        EXPECT_EQ(hexOf(a.encode()), row.consumed);
        EXPECT_EQ(a.proprietary(), row.proprietary);
        std::string conditions;
        for (int bit = 0x40; bit > 0; bit >>= 1) {
            const auto found = a.securityConditionByte(bit);
            if (found.first != 0) {
                char buf[16];
                std::snprintf(buf, sizeof buf, "%s%02X=%02X", conditions.empty() ? "" : " ", bit,
                              found.second);
                conditions += buf;
            }
        }
        EXPECT_EQ(conditions, row.conditions);
        EXPECT_EQ(a.securityConditionByte(0x03).first, 0);
        EXPECT_EQ(a.securityConditionByte(0x80).first, 0);
    }
    EXPECT_EQ(failureOf([] { CSecurityAttributeCompact a{ByteVector("")}; }), kIllegal);
    EXPECT_EQ(hexOf(CSecurityAttributeCompact().encode()), "00");
}

} // namespace
