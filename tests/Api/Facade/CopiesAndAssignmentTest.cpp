// Ordinary C++ use of the exported readers that must stay defined (a copy of
// a listed object outliving its file, a base reader assigned over a derived
// one through a reference to the base class), and their refusals.
#include <ias/ias.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioCertificate.h"
#include "Cia/CCioDataContainer.h"
#include "Cia/CCioPrivateKey.h"
#include "Cia/CCioPublicKey.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

// What an exported directory file answers for a choice it has no class for:
// code 0 and the kind's text, or code 1, the file's text and the choice.
TEST(CopiesAndAssignment, RefusalsOfKindsWithoutAnExportedClass) {
    const auto prk = &ias::RefuseKind<IAS::CCioPrivateKey>;
    const auto puk = &ias::RefuseKind<IAS::CCioPublicKey>;
    const auto cert = &ias::RefuseKind<IAS::CCioCertificate>;
    const struct {
        void (*refuse)(int);
        int choice;
        const char* text; // "code/sw text"
    } rows[] = {
        {prk, 0, "0/0 EC Private Key type not supported"},
        {prk, 2, "0/0 DSA Private Key type not supported"},
        {prk, 3, "0/0 KEA Private Key type not supported"},
        {prk, 4, "0/0 Generic Private Key type not supported"},
        {prk, 5, "1/5 Invalid private key type encountered"},
        {puk, 0, "0/0 EC Public Key type not supported"},
        {puk, 2, "0/0 DSA Public Key type not supported"},
        {puk, 3, "0/0 KEA Public Key type not supported"},
        {puk, 4, "0/0 Generic Public Key type not supported"},
        {puk, 9, "1/9 Invalid Public key type encountered"},
        {cert, 0, "0/0 X509 Attribute certificate type not supported"},
        {cert, 1, "0/0 Spki certificate type not supported"},
        {cert, 2, "0/0 PGP certificate type not supported"},
        {cert, 3, "0/0 Wtls certificate type not supported"},
        {cert, 4, "0/0 X9_68 certificate type not supported"},
        {cert, 5, "0/0 CV certificate type not supported"},
        {cert, 6, "0/0 Generic certificate type not supported"},
        {cert, 7, "1/7 Invalid certificate type encountered"},
        {&ias::RefuseKind<IAS::CCioDataContainer>, 2,
         "1/2 Invalid data container type encountered"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        try {
            row.refuse(row.choice);
            ADD_FAILURE() << "no refusal";
        } catch (const ias::CIASException& e) {
            EXPECT_EQ(e.errorClass(), ias::CIASException::IAS_ERR_LIBRARY);
            EXPECT_EQ(std::to_string(e.error()) + "/" + std::to_string(e.sw()) + " " +
                          e.descriptionA(),
                      row.text);
        }
    }
}
