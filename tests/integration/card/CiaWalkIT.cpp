// The walk an application makes through the card's CIA: by hand with the
// public readers (EF.DIR, then the application's own path to EF.OD and
// EF.CIAInfo, checked against the profile's files and the exact APDUs sent),
// then whole through the token layer.
#include "CardIT.h"

#include "Zaz/PCSCWrapperMicrosoft.h"
#include "token/Token.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

using cardit::Hex;
using cardit::TraceMark;
using Wire = std::vector<std::string>;

namespace {

class CiaWalkIT : public cardit::ConnectedCard {};

std::string Text(const ias::CBlob& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

ias::CCiaPath PathOf(const ias::CBlob& efidOrPath) {
    ias::CCiaPath p;
    p.setEfidOrPath(efidOrPath);
    return p;
}

// The profile's content of a file under cards/, as the decoder must see it.
ias::CBlob ProfileContent(const std::string& relative) {
    const std::string bytes =
        cardit::ReadFile(cardit::Env("IAS_TEST_SOURCE_DIR") + "/cards/" + relative);
    return ias::CBlob(std::string(bytes));
}

} // namespace

TEST_F(CiaWalkIT, DirThenApplicationThenOdAndCiaInfo) {
    const bool t0 = cardit::ProfileIsT0();
    const std::string profile = t0 ? "sample-ias" : "sample-iasecc";
    // An FCP-bearing SELECT: Le 00 under T=1, GET RESPONSE of the FCP under T=0.
    // the sample T=0 card hands the FCP back in 16-byte GET RESPONSE pieces
    auto select = [&](const std::string& command, const std::string& rest) {
        return t0 ? Wire{command, "00C0000010", "00C00000" + rest} : Wire{command + "00"};
    };

    TraceMark mark;
    ias::CApplicationDirectoryFile dir(card);
    dir.load();
    const unsigned int dirSize = t0 ? 96 : 128;
    EXPECT_EQ(dir.size(), dirSize);
    EXPECT_EQ(dir.path().length(), static_cast<int>(dirSize));
    EXPECT_EQ(Hex(dir.path().efidOrPath()), "2F00");
    Wire wire =
        t0 ? Wire{"00A40204022F00", "00C0000010", "00C0000007"} : select("00A40204022F00", "");
    // Outside a transaction of the application's, load() trusts no selection
    // made before its own: the MF (P1 00; the T=0 sample refuses it and takes
    // P1 01, learnt here once) and EF.DIR are selected again, without FCP, in it.
    if (t0) {
        wire.insert(wire.end(), {"00A4000C023F00", "00A4010C023F00", "00A4020C022F00"});
    } else {
        wire.insert(wire.end(), {"00A4000C023F0000", "00A4020C022F0000"});
    }
    wire.push_back("00B00000" + Hex(ias::CBlob(1, static_cast<char>(dirSize))));
    EXPECT_EQ(mark.NewCommands(), wire);

    // The card's own EF.DIR decoded, and the one the profile was built from.
    ias::CApplicationDirectoryFile expected;
    expected.load(ProfileContent(profile + "/ef-dir.bin"));
    ASSERT_EQ(dir.applicationTemplates().size(), 2u);
    EXPECT_EQ(Hex(dir), Hex(expected));
    const ias::CApplicationTemplate& app = dir.applicationTemplates()[1];
    EXPECT_EQ(Hex(app.aid()), "A000000063504B43532D3135");
    EXPECT_EQ(Hex(app.path()), "3F005015");

    // EF.OD and EF.CIAInfo below the application: by its path from the MF, or
    // on the T=0 sample, which refuses SELECT MF with P1 00, by its AID.
    ias::CCiaPath appPath = PathOf(app.path());
    if (t0) {
        appPath = ias::CCiaPath();
        appPath.setAid(app.aid());
    }
    // Inside the application's own transaction, a file selected in it is not
    // selected again to be read.
    TraceMark odMark;
    card.beginTransaction();
    ias::CObjectDirectoryFile od(card, appPath + PathOf(ias::_HB("5031")));
    od.load();
    ias::CCiaInfoFile info(card, appPath + PathOf(ias::_HB("5032")));
    info.load();
    card.endTransaction();
    const Wire odWire = odMark.NewCommands();
    // One SELECT per file (with its GET RESPONSE under T=0), one READ BINARY each.
    int selects = 0, reads = 0;
    for (const std::string& c : odWire) {
        selects += c.compare(2, 2, "A4") == 0;
        reads += c.compare(2, 2, "B0") == 0;
    }
    EXPECT_EQ(selects, 3) << ::testing::PrintToString(odWire); // the DF, then 5031, 5032
    // The IAS ECC sample's EF.CIAInfo (256 bytes) takes two reads of at most 231.
    EXPECT_EQ(reads, t0 ? 2 : 3) << ::testing::PrintToString(odWire);

    ASSERT_EQ(od.cioFiles().size(), 5u);
    EXPECT_EQ(od.cioFiles()[0].first, ias::CObjectDirectoryFile::PrivateKeys);
    EXPECT_EQ(Hex(od.cioFiles()[0].second.efidOrPath()), "3F0050154402");
    EXPECT_EQ(od.path().length(), t0 ? 96 : 64);
    EXPECT_EQ(od.cioFiles()[4].first, ias::CObjectDirectoryFile::AuthObjects);
    EXPECT_EQ(info.version(), t0 ? 0 : 1);
    EXPECT_EQ(Text(info.manufacturerId()), "Libias test cards");
    // reference, mechanism, operations (compute-signature 2, decipher 32), algRef
    std::vector<std::array<int, 4>> algorithms,
        wanted = {{1, 0x01, 2, 0x02}, {2, 0x40, 2, 0x42}, {3, 0x01, 32, 0x1A},
                  {4, 0x06, 2, 0x12}, {5, 0x41, 2, 0x52}, {6, 0x42, 2, 0x62}};
    if (t0) {
        wanted.erase(wanted.begin() + 2); // the older card does not decipher
    }
    for (const auto& a : info.supportedAlgorithms()) {
        algorithms.push_back(
            {a.reference, a.algorithm, static_cast<int>(a.supportedOperations), a.algRef});
    }
    EXPECT_EQ(algorithms, wanted);
    ias::CCiaInfoFile infoFromProfile;
    infoFromProfile.load(ProfileContent(profile + "/ciainfo.der"));
    EXPECT_EQ(Hex(info), Hex(infoFromProfile));

    // Opening again fetches the FCP with one short SELECT; the load after it,
    // outside any transaction, selects the file from its root once more.
    TraceMark again;
    ias::CCiaInfoFile reopened(card, appPath + PathOf(ias::_HB("5032")));
    EXPECT_EQ(again.NewCommands(), select("00A40204025032", "04"));
    TraceMark reload;
    reopened.load();
    const Wire reread = reload.NewCommands();
    const Wire rootThenFile = t0 ? Wire{"00A4040C0C" + Hex(app.aid()), "00A4020C025032"}
                                 : Wire{"00A4000C023F0000", "00A4080C045015503200"};
    ASSERT_EQ(reread.size(), rootThenFile.size() + (t0 ? 1 : 2)) // then READ BINARY
        << ::testing::PrintToString(reread);
    EXPECT_EQ(Wire(reread.begin(), reread.begin() + 2), rootThenFile);
}

// Another application selecting another file between open() and load() of
// this one: what load() returns is still this file (it is selected again in
// the load's own transaction), or, inside the application's transaction, the
// other application waits.
TEST_F(CiaWalkIT, AnotherApplicationSelectingBeforeTheLoadChangesNothing) {
    const bool t0 = cardit::ProfileIsT0();
    ias::CCiaPath od;
    if (t0) {
        od.setAid(ias::_HB("A000000063504B43532D3135"));
        od.setEfidOrPath(ias::_HB("5031"));
    } else {
        od.setEfidOrPath(ias::_HB("3F0050155031"));
    }
    ias::CCiaFile file(card, od);
    // A plain PC/SC client (it resets nothing) selects EF.CIAInfo, 5032.
    SCARDCONTEXT context = 0;
    SCARDHANDLE other = 0;
    DWORD protocol = 0;
    ASSERT_EQ(SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context),
              SCARD_S_SUCCESS);
    ASSERT_EQ(SCardConnect(context, cardit::Reader().c_str(), SCARD_SHARE_SHARED,
                           SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &other, &protocol),
              SCARD_S_SUCCESS);
    const SCARD_IO_REQUEST* pci = protocol == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
    for (const char* apdu : {"00A4040C0CA000000063504B43532D3135", "00A4020C025032"}) {
        const ias::CBlob command = ias::_HB(apdu);
        unsigned char response[2] = {};
        DWORD length = sizeof response;
        ASSERT_EQ(
            SCardTransmit(other, pci, command.data(), command.size(), nullptr, response, &length),
            SCARD_S_SUCCESS);
        EXPECT_EQ(Hex(ias::CBlob(std::string(reinterpret_cast<char*>(response), length))), "9000");
    }
    SCardDisconnect(other, SCARD_LEAVE_CARD);
    SCardReleaseContext(context);
    file.load();
    // The file's own bytes (the card pads them to the file's size).
    const std::string own =
        Hex(ProfileContent((t0 ? "sample-ias" : "sample-iasecc") + std::string("/od.der")));
    EXPECT_EQ(Hex(file).substr(0, own.size()), own);
}

// The token layer's walk of the whole CIA: every directory file EF.OD names
// and every object in it as the card description in scripts/gen-cards has
// them (the EC keys of the IAS ECC sample are kinds the library does not
// decode), at the least the file protocol allows: one FCP-bearing SELECT per
// file and ceil(size / 231) READ BINARY, the application's DF selected once,
// and the MF once as the walk's transaction begins (what was selected before
// it is not trusted).
TEST_F(CiaWalkIT, TokenWalksEveryFileAtTheLeast) {
    const bool t0 = cardit::ProfileIsT0();
    const std::vector<std::string> described =
        t0 ? std::vector<std::string>{"Signature key", "Signature key (public)",
                                      "Signature certificate", "Card holder data", "User PIN|PUK"}
           : std::vector<std::string>{"Authentication key|Signature key",
                                      "Authentication key (public)|Signature key (public)",
                                      "Authentication certificate|Signature certificate",
                                      "Card holder data|Chip serial number",
                                      "User PIN|Signature PIN|PUK"};
    card.reset(); // nothing selected but the MF
    TraceMark mark;
    const token::Token t = token::Token::read(card);
    const Wire wire = mark.NewCommands();
    for (const token::Problem& p : t.problems()) {
        ADD_FAILURE() << p.file << " " << token::Problem::stageName(p.stage) << ": " << p.message;
    }
    std::vector<std::string> found(t.files().size());
    for (const token::CioEntry& e : t.entries()) {
        if (e.object != nullptr) {
            found[e.file] += (found[e.file].empty() ? "" : "|") + Text(e.object->label());
        }
    }
    EXPECT_EQ(found, described);
    const auto pin = std::find_if(t.entries().begin(), t.entries().end(), [](const auto& e) {
        return e.template as<ias::CCioPasswordAuth>() != nullptr;
    }); // the first PIN: the user PIN
    ASSERT_NE(pin, t.entries().end());
    EXPECT_EQ(pin->as<ias::CCioPasswordAuth>()->pwdReference(), 0x81);

    int selects = 0, reads = 0, leastReads = 0;
    for (const std::string& c : wire) {
        selects += c.compare(2, 2, "A4") == 0;
        reads += c.compare(2, 2, "B0") == 0;
    }
    std::vector<token::FileRead> files = {t.directory(), t.objectDirectory(), t.ciaInfoFile()};
    files.insert(files.end(), t.files().begin(), t.files().end());
    for (const token::FileRead& f : files) {
        leastReads += static_cast<int>((f.size + 230) / 231);
    }
    // (the T=0 sample refuses the MF with P1 00: one SELECT more, the first time)
    EXPECT_EQ(selects, static_cast<int>(files.size()) + (t0 ? 3 : 2))
        << ::testing::PrintToString(wire);
    EXPECT_EQ(reads, leastReads) << ::testing::PrintToString(wire);
}
