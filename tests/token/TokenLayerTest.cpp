// The token layer's pieces that card data reaches before the library does:
// the bounded reader, the table of kinds, and blobs of any length.
#include "token/Bytes.h"
#include "token/CioKinds.h"
#include "token/DerReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

token::Bytes H(const std::string& hex) {
    token::Bytes out;
    for (std::size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

struct ReaderCase {
    const char* hex;
    bool ok;
    std::uint32_t number; // tag number when ok
    std::size_t size;     // whole element when ok
};

TEST(DerReader, ReadsWhatFitsAndRefusesWhatRunsPast) {
    const ReaderCase cases[] = {
        {"30 03 02 01 05", true, 16, 5},
        {"30 81 01 00", true, 16, 4},
        {"04 84 00 00 00 01 AA", true, 4, 7},
        {"9F 20 00", true, 32, 3},                // two-byte tag
        {"30 80 00 00", false, 0, 0},             // indefinite length is not DER
        {"30 85 00 00 00 00 01 00", false, 0, 0}, // five length bytes
        {"30 05 01", false, 0, 0},                // contents run past the end
        {"30 84 FF FF FF FF", false, 0, 0},       // a length near 4 GiB
        {"1F 81 81 81 81 01 00", false, 0, 0},    // tag number past 32 bits
        {"9F", false, 0, 0},                      // tag cut short
        {"30", false, 0, 0},                      // no length
    };
    for (const ReaderCase& c : cases) {
        const token::Bytes b = H(c.hex);
        token::DerReader r(b.data(), b.size());
        token::DerReader::Element e;
        EXPECT_EQ(r.next(e), c.ok) << c.hex;
        if (c.ok) {
            EXPECT_EQ(e.number, c.number) << c.hex;
            EXPECT_EQ(e.size, c.size) << c.hex;
            EXPECT_TRUE(r.atEnd()) << c.hex;
        } else {
            EXPECT_EQ(r.offset(), 0u) << c.hex; // a refusal leaves the position
        }
    }
}

TEST(DerReader, OffsetsCountFromTheFileAcrossFillerAndNesting) {
    // Filler, a CIO with label "AB" and iD 45, filler.
    const token::Bytes b = H("FF 00 30 0C 30 04 0C 02 41 42 30 04 04 02 00 45 00 00");
    token::DerReader r(b.data(), b.size());
    r.skipFiller();
    token::DerReader::Element cio, common, label, id;
    ASSERT_TRUE(r.next(cio));
    EXPECT_EQ(cio.offset, 2u);
    EXPECT_EQ(cio.begin(), b.data() + 2);
    token::DerReader parts = cio.children();
    ASSERT_TRUE(parts.next(common));
    EXPECT_EQ(common.offset, 4u);
    ASSERT_TRUE(common.children().find(0x0C, label));
    EXPECT_EQ(std::string(label.contents, label.contents + label.length), "AB");
    token::DerReader rest = parts;
    ASSERT_TRUE(rest.find(0x30, id));
    EXPECT_EQ(id.offset, 10u);
    r.skipFiller();
    EXPECT_TRUE(r.atEnd());
}

TEST(CioKinds, OneTableForNamesAndDecodedKinds) {
    struct Case {
        int file;
        unsigned char tag;
        const char* name;
        bool decoded;
    };
    const Case cases[] = {
        {0, 0x30, "RSA private key", true},
        {0, 0xA0, "EC private key", false},
        {0, 0xA1, "DH private key", true},
        {1, 0xA2, "DSA public key", false},
        {0, 0xA9, "private key [9]", false},
        {0, 0x60, "APPLICATION class element", false},
        {0, 0xE0, "PRIVATE class element", false},
        {3, 0x30, "generic secret key", false},
        {4, 0x30, "X.509 certificate", true},
        {6, 0xA5, "card-verifiable certificate", false},
        {7, 0xA0, "ISO 7816 data object", true},
        {7, 0xA1, "OID data object", false},
        {8, 0x30, "PIN", true},
        {8, 0xA1, "authentication key", true},
        {8, 0x04, "universal class element", false},
        {12, 0x30, "element", false},
    };
    for (const Case& c : cases) {
        const int choice = token::CioKinds::elementChoice(c.tag);
        EXPECT_EQ(token::CioKinds::kindName(c.file, choice, c.tag), c.name);
        EXPECT_EQ(token::CioKinds::decoded(c.file, choice), c.decoded) << c.name;
    }
    EXPECT_EQ(token::CioKinds::fileName(5), "CDF (trusted)");
    EXPECT_EQ(token::CioKinds::fileName(-1), "EF.OD [-1]");
}

TEST(Bytes, BlobsOfAnyLengthRoundTrip) {
    for (std::size_t n : {0u, 767u, 768u, 4096u}) {
        token::Bytes b(n);
        for (std::size_t i = 0; i < n; ++i) {
            b[i] = static_cast<unsigned char>(i * 7);
        }
        const ias::CBlob blob = token::ToBlob(b);
        EXPECT_EQ(blob.size(), n);
        EXPECT_EQ(token::ToBytes(blob), b) << n;
    }
}

} // namespace
