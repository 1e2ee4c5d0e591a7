#include <ias/ias.h>

#include "Fci/CCiaPath.h"

#include <gtest/gtest.h>

#include <string>

using namespace ias;

namespace {

// The description, class and error of the exception `f` throws; "" when it succeeds.
template <class F> std::string failureOf(F&& f) {
    try {
        f();
    } catch (const CIASException& e) {
        return std::to_string(e.errorClass()) + "/" + std::to_string(e.error()) + " " +
               e.descriptionA();
    }
    return "";
}

TEST(PublicFcp, TypesStatesAndConversions) {
    using F = CFileControlParameters;
    struct Row {
        const char* hex;
        F::FileType type;
        F::FileState state;
    };
    const Row rows[] = {
        {"62 03 82 01 38", F::DedicatedFile, F::NoInformation},
        {"62 06 82 01 01 8A 01 01", F::ElementaryFile, F::Creation},
        {"62 06 82 01 02 8A 01 03", F::UnknownFile, F::Initialisation},
        {"62 03 8A 01 05", F::UnknownFile, F::OperationalActivated},
        {"62 03 8A 01 04", F::UnknownFile, F::OperationalDeactivated},
        {"62 03 8A 01 0C", F::UnknownFile, F::Termination},
        {"62 03 8A 01 0F", F::UnknownFile, F::Termination},
        {"62 03 8A 01 15", F::UnknownFile, F::OperationalActivated},
        {"62 03 8A 01 1C", F::UnknownFile, F::Termination},
        {"62 03 8A 01 02", F::UnknownFile, F::OtherState},
        {"62 03 8A 01 08", F::UnknownFile, F::OtherState},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        const CFileControlParameters fcp(_HB(row.hex));
        EXPECT_EQ(fcp.type(), row.type);
        EXPECT_EQ(fcp.state(), row.state);
    }
    const CFileControlParameters fcp(
        _HB("6F 19 80 02 02 ED 82 01 01 83 02 B0 01 88 00 8C 07 7B 17 17 17 17 17 00 8A 01 05"));
    EXPECT_EQ(fcp.size(), 0x2EDu);
    EXPECT_EQ(AsString(fcp.fileIdentifier()), "B0 01 ");
    ASSERT_EQ(fcp.shortFileIdentifier().size(), 1u);
    EXPECT_EQ(fcp.shortFileIdentifier()[0], F::noShortFileID());
    const CSecurityAttributeCompact sa = fcp.securityAttributeCompact();
    EXPECT_EQ(sa.securityConditionByte(0x20), std::make_pair(true, 0x17));
    EXPECT_EQ(sa.securityConditionByte(0x04), std::make_pair(false, 0));
    EXPECT_EQ(AsString(CBlob(fcp)),
              "62 16 80 02 02 ED 82 01 01 83 02 B0 01 88 00 8C 07 7B 17 17 17 17 17 00 ");
    CFileControlParameters copy;
    copy = fcp;
    EXPECT_EQ(copy.size(), 0x2EDu);
    EXPECT_EQ(AsString(CBlob(CFileControlParameters().securityAttributeCompact())), "00 ");

    EXPECT_EQ(failureOf([] { CFileControlParameters f(_HB("6F 08 62 06 83 02 3F 00 82 00")); }),
              "2/0 Error encountered while decoding format.");
    EXPECT_EQ(failureOf([] { CFileControlParameters f{CBlob()}; }),
              "2/0 Illegal parameter in function call.");
}

TEST(PublicSecurityAttribute, ErrorsAndRoundTrip) {
    EXPECT_EQ(failureOf([] { CSecurityAttributeCompact a{CBlob()}; }), "0/1 illegal parameter");
    CSecurityAttributeCompact a(_HB("43 11 22 33"));
    EXPECT_FALSE(a.proprietary());
    EXPECT_EQ(failureOf([&] { a = _HB("7F 01 02"); }), "2/0 Illegal parameter in function call.");
    EXPECT_EQ(AsString(CBlob(a)), "43 11 22 33 ");
    a = _HB("80");
    EXPECT_TRUE(a.proprietary());
    EXPECT_EQ(a.securityConditionByte(0x40), std::make_pair(false, 0));
}

TEST(PublicCiaPath, ForwardsAndConverts) {
    const CCiaPath path(_HB("30 0A 04 02 50 15 02 01 00 80 01 10"));
    EXPECT_EQ(AsString(path.efidOrPath()), "50 15 ");
    EXPECT_EQ(path.index(), 0);
    EXPECT_EQ(path.length(), 16);
    CCiaPath ef;
    ef.setEfidOrPath(_HB("3F 00 50 15 44 01"));
    CCiaPath rel;
    rel.setEfidOrPath(_HB("44 02"));
    EXPECT_EQ(AsString(rel.relativeToEF(ef).efidOrPath()), "3F 00 50 15 44 02 ");
    EXPECT_EQ(AsString(ef.parent().efidOrPath()), "3F 00 50 15 ");
    CCiaPath sum = ef.parent();
    sum += rel;
    EXPECT_TRUE(sum == rel.relativeToDF(ef.parent()));
    CCiaPath bad;
    bad.setEfidOrPath(_HB("50"));
    EXPECT_EQ(failureOf([&] { bad.parent(); }), "2/0 Illegal parameter in function call.");
    EXPECT_EQ(failureOf([] { CCiaPath p(_HB("30 07 04 02 50 15 02 01 00")); }),
              "2/0 Error encountered while decoding format.");
    const CCiaPath back(static_cast<IAS::CCiaPath>(path));
    EXPECT_TRUE(back == path);
    EXPECT_TRUE(CCiaPath().isNull());
}

} // namespace
