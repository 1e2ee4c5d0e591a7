// Ordinary C++ use of the exported readers that must stay defined: a copy of
// a listed object outliving its file, and a base reader assigned over a
// derived one through a reference to the base class.
#include <ias/ias.h>

#include <gtest/gtest.h>

#include <memory>

namespace {
// A PrKDF of one RSA key, ID 45, label "ab", with its path 3F00 5015.
const char* const kPrkdf = "30 23 30 04 0C 02 61 62 30 0A 04 01 45 03 02 06 40 01 01 00"
                           " A1 0F 30 0D 30 06 04 04 3F 00 50 15 02 03 00 08 00";
} // namespace

TEST(CopiesAndAssignment, ListedObjectsCopyOwnTheirDataAndForeignReadersAreRefused) {
    std::unique_ptr<ias::CPrivateKeyFile> file(new ias::CPrivateKeyFile);
    file->load(ias::_HB(kPrkdf));
    ASSERT_EQ(file->objects().size(), 1u);
    const ias::CCioPrivateRSAKey copy =
        dynamic_cast<const ias::CCioPrivateRSAKey&>(*file->objects()[0]);
    file.reset();
    EXPECT_TRUE(copy.label() == ias::CBlob(std::string("ab")));
    EXPECT_TRUE(copy.id() == ias::_HB("45"));
    EXPECT_EQ(copy.modulusLength(), 2048);

    ias::CCiaInfoFile info;
    static_cast<ias::CCiaFile&>(info) = ias::CCiaFile();
    try {
        info.version();
        ADD_FAILURE() << "no exception";
    } catch (const ias::CIASException& e) {
        EXPECT_STREQ(e.descriptionA(), "Illegal parameter in function call.");
    }
}
