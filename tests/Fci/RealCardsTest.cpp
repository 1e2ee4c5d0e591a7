// Every object captured from a real card (tests/data/realcards, see its
// SOURCES.md) goes through the decoders.
#include "Asn1/ByteReader.h"
#include "Asn1/CDerOctet.h"
#include "Fci/CFileControlParameters.h"
#include "Fci/CSecurityAttributeCompact.h"
#include "TestSupport.h"
#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::vector<fs::path> realFiles(bool fcp) {
    const char* source = std::getenv("IAS_TEST_SOURCE_DIR");
    const fs::path root = fs::path(source != nullptr ? source : ".") / "tests/data/realcards";
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".hex" && (name.rfind("fcp-", 0) == 0) == fcp) {
            files.push_back(entry.path());
        }
    }
    return files;
}

ZAZ::ByteVector readHex(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::string hex = text.str();
    for (char& c : hex) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return ZAZ::ByteVector(hex);
}

// Expands every constructed element below `element`.
void expandAll(const IASSCU::CDerOctet& element) {
    if (element.isConstructed()) {
        for (const IASSCU::CDerOctet* child : element.children()) {
            expandAll(*child);
        }
    }
}

std::string attributes(const std::vector<IAS::CSecurityAttributeCompact>& list) {
    std::string out;
    for (const auto& a : list) {
        out += (out.empty() ? "" : " | ") + testsupport::hexOf(a.encode());
    }
    return out;
}

std::string capture(const fs::path& file) {
    return file.parent_path().filename().string() + "/" + file.filename().string();
}
} // namespace

// Fields read by hand from the bytes of the captures.
TEST(RealCardsTest, EveryFcpDecodesToItsFields) {
    struct Row {
        const char* file;
        const char* fid;
        std::uint32_t size;
        unsigned int descriptor;
        const char* sfi;
        unsigned int lifeCycle;
        const char* primary;
        const char* secondary;
        bool inA1 = false;
    };
    const char* const cpx = "7B 45 FF FF FF 45 00";
    const char* const open = "7B FF FF FF FF FF 00";
    const Row rows[] = {
        {"cardos5-vw-pki-card-a-opensc-fuzz/fcp-4401.hex", "44 01", 0x76C, 1, "FF", 5, "", ""},
        {"cardos5-vw-pki-card-a-opensc-fuzz/fcp-5031.hex", "50 31", 0x3C, 1, "FF", 5, "", ""},
        {"fr-cpx-issue2223/fcp-2f00.hex", "2F 00", 0x65, 1, "F0", 5, cpx, open, true},
        {"fr-cpx-issue2223/fcp-2f01.hex", "2F 01", 0x39, 1, "E8", 5, cpx, open, true},
        {"fr-cpx-issue2275/fcp-d003.hex", "D0 03", 0x0C, 1, "E0", 5, open, open, true},
        {"gemalto-idprime-md-opensc-fuzz/fcp-0101.hex", "01 01", 0x541, 1, "", 5, "03 18 00", ""},
        {"gemalto-idprime-md-opensc-fuzz/fcp-0201.hex", "02 01", 0x10, 1, "", 5, "43 12 12 00", ""},
        {"gemalto-idprime-md-opensc-fuzz/fcp-0205.hex", "02 05", 0x22, 1, "", 5, "43 18 18 00",
         "43 18 18 00"},
        {"iasecc-gemalto-opensc-comment/fcp-b001.hex", "B0 01", 0x2ED, 1, "FF", 5,
         "7B 17 17 17 17 17 00", ""},
        {"iasecc-oberthur-opensc-comment/fcp-b001.hex", "B0 01", 0x5DC, 1, "FF", 5,
         "7B 17 FF 17 17 17 00", "", true},
        {"iasecc-sagem-opensc-comment/fcp-2f00.hex", "2F 00", 0x7D, 1, "F0", 5, "01 00", ""},
        {"myeid-opensc-fuzz/fcp-2f00.hex", "2F 00", 0x80, 1, "", 7, "", ""},
        {"myeid-opensc-fuzz/fcp-5015.hex", "50 15", 0x7FFF, 0x38, "", 7, "", ""},
        {"myeid-opensc-fuzz/fcp-5031.hex", "50 31", 0xFF, 1, "", 7, "", ""},
    };
    // Captures of one card share their layout: a few of each are read by
    // hand, and every one must decode.
    std::map<std::string, fs::path> files;
    for (const auto& file : realFiles(true)) {
        files[capture(file)] = file;
        EXPECT_EQ(testsupport::failureOf([&] { IAS::CFileControlParameters{readHex(file)}; }), "")
            << capture(file);
    }
    ASSERT_EQ(files.size(), 24u);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        ASSERT_EQ(files.count(row.file), 1u);
        const IAS::CFileControlParameters fcp(readHex(files[row.file]));
        EXPECT_EQ(testsupport::hexOf(fcp.fileIdentifier()), row.fid);
        EXPECT_EQ(fcp.size(), row.size);
        EXPECT_EQ(fcp.descriptor(), row.descriptor);
        EXPECT_EQ(testsupport::hexOf(fcp.shortFileIdentifier()), row.sfi);
        EXPECT_EQ(fcp.lifeCycleStatus(), row.lifeCycle);
        EXPECT_EQ(attributes(fcp.primarySecurityAttributes()), row.primary);
        EXPECT_EQ(attributes(fcp.secondarySecurityAttributes()), row.secondary);
        EXPECT_EQ(fcp.securityAttributesInA1(), row.inA1);
    }
}

// Every DER capture expands to its last element and re-encodes to exactly the
// bytes it came from, unless the capture itself is broken as stated below.
TEST(RealCardsTest, DerFilesExpandAndReencodeToTheirBytes) {
    struct Broken {
        const char* file;
        const char* message;
        const char* why;
    };
    const char* const inconsistent = "Inconsistent data length in BER octet.";
    const Broken broken[] = {
        {"cardos5-vw-pki-card-a-opensc-fuzz/aodf.hex", inconsistent,
         "the second entry's three lengths are each 2 larger than their content"},
        {"cardos5-vw-pki-card-a-opensc-fuzz/tokeninfo.hex", inconsistent,
         "6 stray bytes after the SEQUENCE start an element that overruns the file"},
        {"cardos5-vw-pki-card-b-opensc-fuzz/tokeninfo.hex", inconsistent, "the same stray bytes"},
        {"fr-cpx-issue2223/ef-atr-2f01.hex", inconsistent,
         "a bare category byte 80 comes first, read as a tag with length 43"},
    };
    std::map<std::string, std::string> failures;
    const auto files = realFiles(false);
    ASSERT_GE(files.size(), 30u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        const ZAZ::ByteVector bytes = readHex(file);
        IAS::ByteReader in(bytes);
        const std::string failure = testsupport::failureOf([&] {
            while (!in.atEnd()) {
                unsigned char next = 0;
                in.peekByte(next);
                if (next == 0x00 || next == 0xFF) { // filler after the content
                    in.takeByte(next);
                    continue;
                }
                const std::size_t start = in.position();
                IASSCU::CDerOctet element;
                element.decodeFrom(in);
                const ZAZ::ByteVector consumed =
                    bytes.substr(static_cast<std::int32_t>(start),
                                 static_cast<std::int32_t>(in.position() - start));
                EXPECT_EQ(element.encoding(), consumed);
                expandAll(element);
                EXPECT_EQ(element.encoding(), consumed);
            }
        });
        if (!failure.empty()) {
            failures[capture(file)] = failure;
        }
    }
    for (const Broken& b : broken) {
        EXPECT_EQ(failures[b.file], b.message) << b.why;
        failures.erase(b.file);
    }
    for (const auto& unexpected : failures) {
        ADD_FAILURE() << unexpected.first << ": " << unexpected.second;
    }
}
