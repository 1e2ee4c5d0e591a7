// EF.DIR, EF.OD, EF.CIAInfo and the last-update value decoded from bytes
// through the public readers, re-encoded, and refused with the exact message.
#include "TestSupport.h"

#include <ias/ias.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string hex(const ias::CBlob& b) {
    std::string s = ias::_HB(b);
    if (!s.empty() && s.back() == ' ') {
        s.pop_back();
    }
    return s;
}

std::string text(const ias::CBlob& b) {
    return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// The description of the CIASException `f` throws; "" when it returns.
template <class F> std::string thrown(F&& f) {
    try {
        f();
    } catch (const ias::CIASException& e) {
        return e.descriptionA();
    }
    return "";
}

const char* const kDecoding = "Error encountered while decoding format.";
const char* const kTruncated = "Inconsistent data length in BER octet.";
const char* const kUnsupported = "The data format is not supported.";
const char* const kMissing = "Mandatory data member is missing.";
const char* const kIllegal = "Illegal parameter in function call.";
const char* const kUnknown = "An unknown error occurred.";

// Each template as "aid|label|path|53|73".
std::string templates(const ias::CApplicationDirectoryFile& dir) {
    std::string out;
    for (const ias::CApplicationTemplate& t : dir.applicationTemplates()) {
        out += "[" + hex(t.aid()) + "|" + hex(t.label()) + "|" + hex(t.path()) + "|" +
               hex(t.discretionaryDONonBerTlv()) + "|" + hex(t.discretionaryDOBerTlv()) + "]";
    }
    return out;
}

TEST(ApplicationDirectoryFile, DecodesEncodesAndRefuses) {
    struct Row {
        const char* in;
        const char* templates; // or the error message
        const char* encoding;
    } rows[] = {
        // filler after the element is skipped
        {"61 0B 4F 06 A0 00 00 00 01 02 50 01 41 00 00 FF FF", "[A0 00 00 00 01 02|41|||]",
         "61 0B 4F 06 A0 00 00 00 01 02 50 01 41"},
        // a foreign element between two templates is skipped, filler before too
        {"FF 00 61 03 4F 01 01 62 03 80 01 00 61 03 4F 01 02", "[01||||][02||||]",
         "61 03 4F 01 01 61 03 4F 01 02"},
        // children re-encode as 4F 50 51 53 73 whatever order they came in
        {"61 12 73 03 80 01 05 53 01 EE 51 02 3F 00 50 01 41 4F 01 01",
         "[01|41|3F 00|EE|73 03 80 01 05]",
         "61 12 4F 01 01 50 01 41 51 02 3F 00 53 01 EE 73 03 80 01 05"},
        {"", "", ""},
        {"00 FF 00", "", ""},
        {"61 06 4F 01 01 4F 01 02", kDecoding, ""},     // duplicated tag
        {"61 05 4F 01", kTruncated, ""},                // truncated element
        {"61 03 4F 01 01 30 05 02 01", kTruncated, ""}, // good template, then a truncated one
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.in);
        ias::CApplicationDirectoryFile dir;
        dir.load(ias::_HB("61 03 4F 01 99"));
        const std::string error = thrown([&] { dir.load(ias::_HB(r.in)); });
        if (!error.empty()) {
            EXPECT_EQ(error, r.templates);
            EXPECT_EQ(templates(dir), "[99||||]"); // the previous content stays
            continue;
        }
        EXPECT_EQ(templates(dir), r.templates);
        EXPECT_EQ(hex(dir), r.encoding);
    }
    EXPECT_EQ(thrown([] { ias::CApplicationTemplate(ias::_HB("62 03 4F 01 01")); }), kDecoding);
    // real card: one PKCS#15 application, then zero padding to the file end
    ias::CApplicationDirectoryFile dir;
    dir.load(ias::_HB(testsupport::realCard("myeid-opensc-fuzz/ef-dir.hex").toString()));
    EXPECT_EQ(templates(dir), "[A0 00 00 00 63 50 4B 43 53 2D 31 35|4D 79 45 49 44|3F 00 50 15||]");
}

std::string entries(const ias::CObjectDirectoryFile& od) {
    std::string out;
    for (const auto& e : od.cioFiles()) {
        out += "(" + std::to_string(e.first) + " " + hex(e.second.efidOrPath()) + ")";
    }
    return out;
}

TEST(ObjectDirectoryFile, DecodesEncodesAndRefuses) {
    struct Row {
        const char* in;
        const char* entries; // or the error message
        const char* encoding;
    } rows[] = {
        {"A0 06 30 04 04 02 40 01 A4 06 30 04 04 02 40 02 00 00", "(0 40 01)(4 40 02)",
         "A0 06 30 04 04 02 40 01 A4 06 30 04 04 02 40 02"},
        {"A7 02 A0 00", "", ""}, // objects given directly
        {"A9 06 30 04 04 02 40 09", "(9 40 09)", "A9 06 30 04 04 02 40 09"},  // unknown choice kept
        {"BC 06 30 04 04 02 40 09", "(28 40 09)", "BC 06 30 04 04 02 40 09"}, // past the enum
        {"80 02 40 01", kDecoding, ""},                                       // primitive
        {"A0 08 30 04 04 02 40 01 05 00", kDecoding, ""},                     // two inner elements
        {"60 06 30 04 04 02 40 01", kDecoding, ""},                           // application class
        {"A0 03 04 01 00", kDecoding, ""},                         // neither Path nor [0]
        {"BF 8F FF FF FF 7F 06 30 04 04 02 50 31", kDecoding, ""}, // [4294967295]: no int
        {"A0 06 30 04 04 02 40", kTruncated, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.in);
        ias::CObjectDirectoryFile od;
        od.load(ias::_HB("A8 06 30 04 04 02 44 01"));
        const std::string error = thrown([&] { od.load(ias::_HB(r.in)); });
        if (!error.empty()) {
            EXPECT_EQ(error, r.entries);
            EXPECT_EQ(entries(od), "(8 44 01)");
            continue;
        }
        EXPECT_EQ(entries(od), r.entries);
        EXPECT_EQ(hex(od), r.encoding);
    }
    // real cards, paths written out from the bytes
    ias::CObjectDirectoryFile od;
    od.load(ias::_HB(testsupport::realCard("myeid-opensc-fuzz/ef-od.hex").toString()));
    EXPECT_EQ(entries(od), "(0 3F 00 50 15 44 02)(1 3F 00 50 15 44 04)(3 3F 00 50 15 44 07)"
                           "(4 3F 00 50 15 44 03)(5 3F 00 50 15 44 05)(7 3F 00 50 15 44 06)"
                           "(8 3F 00 50 15 44 01)");
    od.load(
        ias::_HB(testsupport::realCard("cardos5-vw-pki-card-a-opensc-fuzz/ef-od.hex").toString()));
    EXPECT_EQ(entries(od), "(0 3F 00 50 15 44 01)(4 3F 00 50 15 44 41)(5 3F 00 50 15 44 51)"
                           "(7 3F 00 50 15 44 71)(8 3F 00 50 15 44 81)");
    EXPECT_EQ(od.cioFiles()[0].first, ias::CObjectDirectoryFile::PrivateKeys);
}

// Every field of a CIAInfo as one line.
std::string fields(const ias::CCiaInfoFile& info) {
    std::ostringstream o;
    o << "v" << info.version() << " sn[" << hex(info.serialNumber()) << "] m["
      << text(info.manufacturerId()) << "] l[" << text(info.label()) << "] f" << info.cardflags();
    for (const auto& se : info.seInfo()) {
        o << " se(" << se.se << "," << se.owner << "," << hex(se.aid) << ")";
    }
    for (const auto& ri : info.recordInfo()) {
        o << " ri(" << ri.first << "," << ri.second << ")";
    }
    for (const auto& a : info.supportedAlgorithms()) {
        o << " alg(" << a.reference << "," << a.algorithm << "," << hex(a.parameters) << ","
          << a.supportedOperations << "," << a.objId << "," << a.algRef << ")";
    }
    o << " i[" << text(info.issuerId()) << "] h[" << text(info.holderId()) << "] u"
      << info.lastUpdate().type() << " lang[" << info.preferredLanguage() << "]";
    for (const auto& p : info.profileIndication()) {
        o << " p(" << p.first << "," << p.second << ")";
    }
    return o.str();
}

TEST(CiaInfoFile, DecodesEncodesAndRefuses) {
    const std::string empty = " i[] h[] u0 lang[]";
    struct Row {
        std::string in;
        std::string fields; // or the error message
        bool reencodes;
    } rows[] = {
        {"30 07 02 01 00 03 02 06 40", "v0 sn[] m[] l[] f2" + empty, true},
        {"30 0F 02 01 01 03 02 06 40 A1 06 80 01 10 86 01 20",
         "v1 sn[] m[] l[] f2 ri(0,16) ri(6,32)" + empty, true},
        {"30 12 02 01 00 03 02 06 40 A6 09 06 03 2A 03 04 0C 02 41 42",
         "v0 sn[] m[] l[] f2" + empty + " p(0,1 2 3 4) p(1,AB)", true},
        // every member present
        {"30 61 02 01 01 04 02 12 34 0C 01 4D 80 01 4C 03 02 07 80"
         " 30 0D 30 0B 02 01 01 06 03 2A 03 04 04 01 AA A1 03 80 01 10"
         " A2 16 30 14 02 01 01 02 01 02 05 00 03 02 07 80 06 03 2A 03 04 02 01 10"
         " 83 01 49 84 01 48 A5 11 18 0F 32 30 31 32 30 33 30 34 30 35 30 36 30 37 5A"
         " 13 02 65 6E A6 05 06 03 2A 03 04",
         "v1 sn[12 34] m[M] l[L] f1 se(1,1 2 3 4,AA) ri(0,16) alg(1,2,05 00,1,1 2 3 4,16)"
         " i[I] h[H] u1 lang[en] p(0,1 2 3 4)",
         true},
        {"30 07 02 01 02 03 02 06 40", kUnsupported, false},
        {"30 07 02 01 FF 03 02 06 40", kUnsupported, false}, // -1 compares as unsigned
        {"30 03 02 01 00", kMissing, false},
        {"30 0C 02 01 00 03 02 06 40 A6 03 02 01 05", kDecoding,
         false}, // profile neither OID nor name
        {"30 0C 02 01 00 03 02 06 40 A5 03 01 01 00", kIllegal, false}, // last update BOOLEAN
        {"30 07 02 01 00 03 02 06", kTruncated, false},
        // real cards: trailing bytes after the element are not part of it
        {testsupport::realCard("cardos5-vw-pki-card-a-opensc-fuzz/tokeninfo.hex").toString(),
         "v0 sn[07 11 51 12 50] m[Volkswagen AG] l[VW PKI Card] f8" + empty, false},
        {testsupport::realCard("myeid-opensc-fuzz/tokeninfo.hex").toString(),
         "v0 sn[00 00 00 55 00 30 05 07 56 58] m[Aventra Ltd.] l[MyEID] f12"
         " alg(1,4225,05 00,48,2 16 840 1 101 3 4 1 1,0)"
         " alg(2,4226,05 00,48,2 16 840 1 101 3 4 1 2,0)"
         " alg(3,4225,05 00,48,2 16 840 1 101 3 4 1 41,0)"
         " alg(4,4226,05 00,48,2 16 840 1 101 3 4 1 42,0) i[] h[] u1 lang[]",
         true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.in);
        ias::CCiaInfoFile info;
        info.load(ias::_HB("30 07 02 01 00 03 02 07 80"));
        const std::string error = thrown([&] { info.load(ias::_HB(r.in)); });
        if (!error.empty()) {
            EXPECT_EQ(error, r.fields);
            EXPECT_EQ(info.version(), 0);
            EXPECT_EQ(info.cardflags(), 1u);
            continue;
        }
        EXPECT_EQ(fields(info), r.fields);
        ias::CCiaInfoFile again;
        again.load(info);
        EXPECT_EQ(fields(again), r.fields);
        if (r.reencodes) {
            EXPECT_EQ(hex(info), hex(ias::_HB(r.in)));
        }
    }
    EXPECT_EQ(ias::CCiaInfoFile().version(), -1);
}

TEST(CiaLastUpdate, TypesAndAccessors) {
    struct Row {
        const char* in;
        int type; // -1: refused with "Illegal parameter in function call."
    } rows[] = {
        {"18 0F 32 30 31 32 30 33 30 34 30 35 30 36 30 37 5A", 1},
        {"30 04 04 02 40 01", 2},
        {"13 01 41", 3},
        {"16 01 41", 4},
        {"A3 00", 5},
        {"31 00", -1}, // constructed, not a SEQUENCE
        {"04 01 00", -1},
        {"83 01 00", -1}, // [3] primitive
        {"A4 00", -1},
        {"61 00", -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.in);
        if (r.type < 0) {
            EXPECT_EQ(thrown([&] { ias::CCiaLastUpdate(ias::_HB(r.in)); }), kIllegal);
            continue;
        }
        const ias::CCiaLastUpdate u(ias::_HB(r.in));
        EXPECT_EQ(u.type(), r.type);
        EXPECT_EQ(thrown([&] { u.generalizedTime(); }), r.type == 1 ? "" : kUnknown);
        EXPECT_EQ(thrown([&] { u.path(); }), r.type == 2 ? "" : kUnknown);
    }
    EXPECT_EQ(ias::CCiaLastUpdate(ias::_HB("18 0F 32 30 31 32 30 33 30 34 30 35 30 36 30 37 5A"))
                  .generalizedTime(),
              "20120304050607Z");
    EXPECT_EQ(hex(ias::CCiaLastUpdate(ias::_HB("30 04 04 02 40 01")).path().efidOrPath()), "40 01");
    EXPECT_EQ(ias::CCiaLastUpdate().type(), 0);
}

TEST(CiaFile, WithoutCard) {
    ias::CCiaFile file;
    EXPECT_EQ(file.size(), 0u);
    EXPECT_EQ(thrown([&] { file.load(); }), kUnknown);
    file.load(ias::_HB("30 03 02 01 00 FF"));
    EXPECT_EQ(hex(file), "30 03 02 01 00 FF"); // a plain file keeps the bytes as given
    ias::CCiaFile copy(file);
    EXPECT_EQ(hex(copy), "30 03 02 01 00 FF");
    ias::CApplicationDirectoryFile dir;
    dir.load(ias::_HB("61 03 4F 01 01"));
    ias::CApplicationDirectoryFile dirCopy(dir);
    dir.load(ias::_HB(""));
    EXPECT_EQ(templates(dirCopy), "[01||||]"); // copies do not share the parsed state
    ias::CIASCard unconnected;
    try {
        ias::CApplicationDirectoryFile refused(unconnected);
        ADD_FAILURE() << "no exception";
    } catch (const ias::CIASException& e) {
        EXPECT_EQ(e.errorClass(), ias::CIASException::IAS_ERR_LIBRARY);
        EXPECT_EQ(e.error(), 5u);
        EXPECT_STREQ(e.descriptionA(), "No card handle defined");
    }
}

} // namespace

#include "Card/ScriptedTerminal.h"
#include "Cia/CCiaFile.h"
#include "Cia/CCioAuthentication.h"
#include "Cia/CCioFile.h"

namespace {

TEST(CiaFile, OpenFixesTheExtentFromTheFcpAndRefusesDirectories) {
    ScriptedTerminal terminal;
    IAS::CCiaCard card(&terminal);
    card.setMaxResponseLength(231);
    IAS::CCiaPath path;
    path.setEfidOrPath(ZAZ::ByteVector("5031"));
    path.setIndex(5); // a length without an index, or the reverse, means the whole file
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 04 02 5031 00", "62 07 82 01 01 80 02 00 F0 9000");
    IAS::CCiaFile file;
    file.open(card, path);
    EXPECT_EQ(file.path().index(), 0);
    EXPECT_EQ(file.path().length(), 0xF0);
    // 240 bytes in chunks of the card's maximum response, 231, after the file
    // is selected again: another application may have selected since open().
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 0C 02 5031 00", "9000");
    terminal.expect("00 B0 00 00 E7", (std::string(462, 'A') + "9000").c_str());
    terminal.expect("00 B0 00 E7 09", "303132333435363738 9000");
    file.load();
    EXPECT_EQ(file.content().size(), 240);
    EXPECT_EQ(terminal.sentOutside, 2); // open()'s SELECTs alone

    path.setEfidOrPath(ZAZ::ByteVector("5032"));
    terminal.expect("00 A4 02 04 02 5032 00", "62 03 82 01 38 9000");
    EXPECT_EQ(testsupport::failureOf([&] { file.open(card, path); }),
              "File type not consistent with usage.");
    EXPECT_EQ(file.path().length(), 0xF0); // a failed open keeps the file as it was
    EXPECT_TRUE(terminal.done());
}

// An FCP that says size 0 is an empty file: nothing is read and a directory
// file has no objects. One that gives no size is read until the card ends it.
TEST(CiaFile, EmptyAndUnsizedFiles) {
    ScriptedTerminal terminal;
    IAS::CCiaCard card(&terminal);
    card.setMaxResponseLength(4);
    IAS::CCiaPath path;
    path.setEfidOrPath(ZAZ::ByteVector("4401"));
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 04 02 4401 00", "62 07 82 01 01 80 02 00 00 9000");
    IAS::CCryptoInfoObjectFile<IAS::CCioAuthentication> aodf;
    aodf.open(card, path);
    aodf.load();
    EXPECT_TRUE(aodf.content().empty());
    EXPECT_TRUE(aodf.objects().empty());
    EXPECT_TRUE(terminal.done());

    path.setEfidOrPath(ZAZ::ByteVector("4402"));
    terminal.expect("00 A4 02 04 02 4402 00", "62 03 82 01 01 9000");
    IAS::CCiaFile unsized;
    unsized.open(card, path);
    EXPECT_EQ(unsized.path().length(), -1);
    terminal.expect("00 A4 00 0C 02 3F00 00", "9000");
    terminal.expect("00 A4 02 0C 02 4402 00", "9000");
    terminal.expect("00 B0 00 00 04", "30 06 04 01 9000");
    terminal.expect("00 B0 00 04 04", "01 02 03 6282"); // the end, with the last bytes
    unsized.load();
    EXPECT_EQ(unsized.content(), ZAZ::ByteVector("30 06 04 01 01 02 03"));
    EXPECT_TRUE(terminal.done());
}

} // namespace
