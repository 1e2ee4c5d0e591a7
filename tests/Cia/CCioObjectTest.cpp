#include "Cia/CCioObject.h"
#include "CioTestSupport.h"

#include <ias/CCioObject.h>
#include <ias/CIASException.h>

#include <gtest/gtest.h>

namespace {
using testsupport::failureOf;
using testsupport::hexOf;
using testsupport::kDecoding;
using testsupport::realCard;
using ZAZ::ByteVector;

// The smallest concrete CIO: keeps its three attribute parts as bytes.
class Probe : public IAS::CCioObject {
public:
    explicit Probe(const ByteVector& der) : Probe(IAS::CCioFrame(der)) {}
    explicit Probe(const IAS::CCioFrame& frame)
        : CCioObject(frame), m_class(bytesOf(frame.classAttributes())),
          m_sub(bytesOf(frame.subClassAttributes())), m_type(frame.typeAttributes().encoding()) {}
    static ByteVector bytesOf(const IASSCU::CDerOctet* element) {
        return element != nullptr ? element->encoding() : ByteVector();
    }
    ByteVector encodeClassAttributes() const override { return m_class; }
    ByteVector encodeSubClassAttributes() const override { return m_sub; }
    ByteVector encodeTypeAttributes() const override { return m_type; }
    int choice() const override { return -1; }
    CCioObject* clone() const override { return new Probe(*this); }

    ByteVector m_class, m_sub, m_type;
};

std::string summary(const Probe& p) {
    const ByteVector label = p.label();
    std::string s = std::string(reinterpret_cast<const char*>(label.data()), label.size()) + "|" +
                    ciotest::hex32(p.flags()) + "|" + hexOf(p.authId()) + "|" +
                    std::to_string(p.userConsent()) + "|";
    for (const IAS::CCioAccessControlRule& rule : p.accessControlRules()) {
        s += ciotest::hex32(rule.accessMode()) + ":" + ciotest::describe(rule.securityCondition());
    }
    return s + "|" + hexOf(p.m_class) + "|" + hexOf(p.m_sub) + "|" + hexOf(p.m_type);
}

class PublicProbe : public ias::CCioObject {
public:
    explicit PublicProbe(IAS::CCioObject* object) : m_object(object) {}
    IAS::CCioObject* getPrivateObject() const override { return m_object; }

private:
    IAS::CCioObject* m_object;
};

} // namespace

TEST(CCioObjectTest, DecodesTheFrameAndCommonAttributes) {
    struct Row {
        const char* hex;
        const char* summary; // label|flags|authId|userConsent|rules|class|sub|type, or failure
        const char* encoded; // when it differs from hex
    };
    const Row rows[] = {
        {"30 06 30 00 A1 02 05 00", "|0||-1||||05 00", "30 09 30 03 03 01 00 A1 02 05 00"},
        {"30 2A 30 19 0C 02 61 62 03 02 06 40 04 01 01 02 01 05 30 09 30 07 03 02 07 80 04 01 01"
         " 30 03 04 01 AA A0 04 30 02 05 00 A1 02 05 00",
         "ab|2|01|5|1:id:01|30 03 04 01 AA|30 02 05 00|05 00", nullptr},
        // a [n] alternative of a directory file; written back untagged
        {"A0 06 30 00 A1 02 05 00", "|0||-1||||05 00", "30 09 30 03 03 01 00 A1 02 05 00"},
        // an empty classAttributes SEQUENCE is not written back
        {"30 08 30 00 30 00 A1 02 05 00", "|0||-1||30 00||05 00",
         "30 09 30 03 03 01 00 A1 02 05 00"},
        {"04 00", kDecoding, nullptr},
        {"31 06 30 00 A1 02 05 00", kDecoding, nullptr},
        {"30 08 30 02 2C 00 A1 02 05 00", kDecoding, nullptr}, // constructed label
        {"30 08 30 02 24 00 A1 02 05 00", kDecoding, nullptr}, // constructed authId
        {"30 02 30 00", "Mandatory data member is missing.", nullptr},
        {"30 0C 30 06 30 04 30 02 05 00 A1 02 05 00", "Mandatory data member is missing.", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        const std::string failure = failureOf([&] { Probe{ByteVector(row.hex)}; });
        if (!failure.empty()) {
            EXPECT_EQ(failure, row.summary);
            continue;
        }
        const Probe probe{ByteVector(row.hex)};
        EXPECT_EQ(summary(probe), row.summary);
        const ByteVector encoded = probe.encode();
        EXPECT_EQ(hexOf(encoded), row.encoded != nullptr ? row.encoded : row.hex);
        EXPECT_EQ(hexOf(Probe(encoded).encode()), hexOf(encoded));
    }
}

// Written out by hand from the bytes of real directory files.
TEST(CCioObjectTest, RealDirectoryFiles) {
    struct Row {
        const char* file;
        std::int32_t offset; // of the element in the file
        const char* summary;
    };
    const Row rows[] = {
        // 03 02 00 80: named bit 0 (private) with a non-minimal unused-bit count
        {"cardos5-vw-pki-card-a-opensc-fuzz/prkdf.hex", 0,
         "Digital Signature|1|01|-1||30 0A 04 01 11 03 02 00 34 02 01 01||"
         "30 0C 30 06 04 04 3F 00 50 15 02 02 08 00"},
        {"cardos5-vw-pki-card-a-opensc-fuzz/prkdf.hex", 0x3A, // after 30 38 ..
         "Non Repudiation|1|02|1||30 0B 04 01 33 03 03 00 00 40 02 01 03||"
         "30 0C 30 06 04 04 3F 00 50 15 02 02 08 00"},
        // 03 02 06 C0: private and modifiable
        {"myeid-opensc-fuzz/aodf.hex", 0,
         "Security Officer PIN|3||-1||30 03 04 01 FF||"
         "30 16 03 02 00 0D 0A 01 01 02 01 04 02 01 08 02 01 08 80 01 03 04 01 FF"},
        {"myeid-opensc-fuzz/dodf.hex", 0,
         "label|2||-1||30 0D 0C 0B 70 6B 63 73 31 35 2D 69 6E 69 74||30 08 04 06 3F 00 50 15 46 "
         "01"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        const ByteVector file = realCard(row.file);
        const Probe probe{IASSCU::CDerOctet(ZAZ::ByteVectorBase(file, row.offset)).encoding()};
        EXPECT_EQ(summary(probe), row.summary);
    }
}

TEST(CCioObjectTest, PublicObjectReadsThroughItsInternalObject) {
    Probe probe{
        ByteVector("30 16 30 10 0C 01 41 30 0B 30 09 03 02 07 80 A0 03 04 01 01 A1 02 05 00")};
    const PublicProbe view(&probe);
    EXPECT_TRUE(view.label() == ias::_HB("41"));
    EXPECT_EQ(view.userConsent(), -1);
    EXPECT_EQ(view.choice(), -1);
    const std::vector<ias::CCioAccessControlRule> rules = view.accessControlRules();
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_TRUE(rules[0].securityCondition().notSc().authId() == ias::_HB("01"));
    try {
        PublicProbe(nullptr).authIdReference();
        ADD_FAILURE() << "no internal object";
    } catch (const ias::CIASException& e) {
        EXPECT_STREQ(e.descriptionA(), testsupport::kIllegal);
    }
}
