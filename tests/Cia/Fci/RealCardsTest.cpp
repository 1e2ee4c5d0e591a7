// Every object captured from a real card (tests/data/realcards, see its
// SOURCES.md) goes through the decoders: FCPs decode or fail with the one
// documented message; DER files expand to the last element and re-encode to
// exactly the bytes they came from. Real defects (overrunning lengths,
// trailing bytes) must fail cleanly, never crash.
#include "Asn1/ByteReader.h"
#include "Asn1/CDerOctet.h"
#include "Asn1/DerMessages.h"
#include "Cia/Fci/CFileControlParameters.h"
#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
const char kDecodingError[] = "Error encountered while decoding format.";

// A broken DER element fails with one of the decoder's own messages.
void expectDerFailure(const ZAZ::CardFrameworkException& e) {
    const std::string message = e.message();
    for (const char* known : {kDecodingError, IASSCU::Msg::kEmpty, IASSCU::Msg::kUnexpectedEnd,
                              IASSCU::Msg::kTagOverflow, IASSCU::Msg::kDataOverflow,
                              IASSCU::Msg::kIndefiniteLength, IASSCU::Msg::kInconsistentLength}) {
        if (message == known) {
            return;
        }
    }
    ADD_FAILURE() << "undocumented failure: " << message;
}

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

// Expands every constructed element below `element`; returns false when the
// card's bytes break a rule on the way (with the documented message).
bool expandAll(const IASSCU::CDerOctet& element) {
    if (!element.isConstructed()) {
        return true;
    }
    try {
        for (const IASSCU::CDerOctet* child : element.children()) {
            if (!expandAll(*child)) {
                return false;
            }
        }
    } catch (const ZAZ::CardFrameworkException& e) {
        expectDerFailure(e);
        return false;
    }
    return true;
}
} // namespace

TEST(RealCardsTest, EveryFcpDecodesOrFailsWithTheDocumentedMessage) {
    const auto files = realFiles(true);
    ASSERT_EQ(files.size(), 24u);
    int decoded = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        IAS::CFileControlParameters fcp;
        try {
            fcp.decode(readHex(file));
            ++decoded;
        } catch (const ZAZ::CardFrameworkException& e) {
            EXPECT_STREQ(e.message(), kDecodingError);
        }
    }
    // All of them are well-formed templates as captured.
    EXPECT_EQ(decoded, 24);
}

TEST(RealCardsTest, DerFilesExpandAndReencodeToTheirBytes) {
    const auto files = realFiles(false);
    ASSERT_GE(files.size(), 30u);
    int whole = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.string());
        const ZAZ::ByteVector bytes = readHex(file);
        IAS::ByteReader in(bytes);
        bool clean = true;
        while (!in.atEnd() && clean) {
            unsigned char next = 0;
            in.peekByte(next);
            if (next == 0x00 || next == 0xFF) { // filler after the content
                in.takeByte(next);
                continue;
            }
            const std::size_t start = in.position();
            IASSCU::CDerOctet element;
            try {
                element.decodeFrom(in);
            } catch (const ZAZ::CardFrameworkException& e) {
                expectDerFailure(e);
                clean = false;
                break;
            }
            clean = expandAll(element);
            const ZAZ::ByteVector consumed = bytes.substr(
                static_cast<std::int32_t>(start), static_cast<std::int32_t>(in.position() - start));
            EXPECT_EQ(element.encoding(), consumed);
        }
        whole += clean ? 1 : 0;
    }
    // Most captures are sound; the known defective ones must not be all of them.
    EXPECT_GE(whole, static_cast<int>(files.size()) - 6);
}
