#include "Cia/CCioFile.h"
#include "Cia/CCioPrivateDHKey.h"
#include "Cia/CCioPrivateRSAKey.h"
#include "Cia/CCioPublicDHKey.h"
#include "Cia/CCioPublicRSAKey.h"
#include "Cia/CCioX509Certificate.h"
#include "CioTestSupport.h"

#include <ias/ias.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
using ciotest::hex32;
using testsupport::hexOf;
using testsupport::realCard;
using ZAZ::ByteVector;

std::string ids(const std::vector<IAS::CCioCredentialIdentifier>& list) {
    std::string s;
    for (const IAS::CCioCredentialIdentifier& id : list) {
        s += (s.empty() ? "" : ",") + std::to_string(id.idType()) + ":" + hexOf(id.idValue());
    }
    return s;
}

std::string info(const IAS::CCioKeyInfo& k) {
    return k.isNull() ? "" : hexOf(k.parameters()) + "/" + hex32(k.operations());
}

std::string usage(const IAS::CCioUsage& u) {
    return u.isNull() ? "" : hex32(u.keyUsage());
}

std::string value(const IAS::CCioObjectValue& v) {
    return std::to_string(v.type()) + ":" + hexOf(v.value());
}

// id|usage|native|accessFlags/defined|keyReference|startDate|endDate|algReference|
std::string key(const IAS::CCioKey& k) {
    std::string refs;
    for (const std::int32_t ref : k.algReference()) {
        refs += (refs.empty() ? "" : ",") + std::to_string(ref);
    }
    return hexOf(k.id()) + "|" + hex32(k.usage()) + "|" + std::to_string(k.native()) + "|" +
           hex32(k.accessFlags()) + "/" + std::to_string(k.accessFlagsDefined()) + "|" +
           std::to_string(k.keyReference()) + "|" + k.startDate() + "|" + k.endDate() + "|" + refs +
           "|";
}

// key|name|keyIdentifiers|generalName|choice value|modulusLength|keyInfo
std::string summary(const IAS::CCioPrivateKey& k) {
    std::string s = key(k) + hexOf(k.name()) + "|" + ids(k.keyIdentifiers()) + "|" +
                    hexOf(k.generalName()) + "|" + std::to_string(k.choice()) + " ";
    if (const auto* rsa = dynamic_cast<const IAS::CCioPrivateRSAKey*>(&k)) {
        return s + hexOf(rsa->value().encode()) + "|" + std::to_string(rsa->modulusLength()) + "|" +
               info(rsa->keyInfo());
    }
    const auto& dh = dynamic_cast<const IAS::CCioPrivateDHKey&>(k);
    return s + hexOf(dh.value().encode()) + "|" + info(dh.keyInfo());
}

// key|name|trustedUsage|generalName|keyIdentifiers|choice value|modulusLength|keyInfo
std::string summary(const IAS::CCioPublicKey& k) {
    std::string s = key(k) + hexOf(k.name()) + "|" + usage(k.trustedUsage()) + "|" +
                    hexOf(k.generalName()) + "|" + ids(k.keyIdentifiers()) + "|" +
                    std::to_string(k.choice()) + " ";
    if (const auto* rsa = dynamic_cast<const IAS::CCioPublicRSAKey*>(&k)) {
        return s + value(rsa->value()) + "|" + std::to_string(rsa->modulusLength()) + "|" +
               info(rsa->keyInfo());
    }
    const auto& dh = dynamic_cast<const IAS::CCioPublicDHKey&>(k);
    return s + value(dh.value()) + "|" + info(dh.keyInfo());
}

// id|authority|identifier|certHash|trustedUsage|identifiers|notBefore-notAfter|
// value|subject|issuer|serialNumber
std::string summary(const IAS::CCioCertificate& c) {
    const auto& x = dynamic_cast<const IAS::CCioX509Certificate&>(c);
    return hexOf(c.id()) + "|" + std::to_string(c.authority()) + "|" + hexOf(c.identifier()) + "|" +
           hexOf(c.certHash()) + "|" + usage(c.trustedUsage()) + "|" + ids(c.identifiers()) + "|" +
           c.validity().first + "-" + c.validity().second + "|" + value(x.value()) + "|" +
           hexOf(x.subject()) + "|" + hexOf(x.issuer()) + "|" + hexOf(x.serialNumber());
}

// The object the registry of kind T makes of one directory-file element.
template <class T> ias::Owned<T> create(const IASSCU::CDerOctet& element) {
    return IAS::createObject<T>(IAS::CCioFile::choiceOf(element), element);
}
template <class T> ias::Owned<T> create(const ByteVector& der) {
    return create<T>(IASSCU::CDerOctet(der));
}

struct Row {
    std::string hex;
    std::string summary; // or the failure message
    std::string encoded; // when it differs from hex
};

std::string tlv(const char* tag, const std::string& content) {
    char length[4];
    std::snprintf(length, sizeof length, "%02X",
                  static_cast<unsigned int>(ByteVector(content).size()));
    return std::string(tag) + " " + length + (content.empty() ? "" : " " + content);
}

std::string ascii(const std::string& s) {
    return hexOf(ByteVector(reinterpret_cast<const unsigned char*>(s.data()),
                            static_cast<std::int32_t>(s.size())));
}

// A certificate from the contents of its class and type attributes.
std::string cert(const std::string& classAttributes,
                 const std::string& type = "30 06 04 04 3F 00 50 15") {
    return tlv("30",
               "30 03 03 01 00 " + tlv("30", classAttributes) + " " + tlv("A1", tlv("30", type)));
}

// Decodes each row through the registry, then checks that it encodes to the
// expected bytes and that those decode and encode the same again.
template <class T> void check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hex);
        const ByteVector der(row.hex);
        const std::string failure = testsupport::failureOf([&] { create<T>(der); });
        if (!failure.empty()) {
            EXPECT_EQ(failure, row.summary);
            continue;
        }
        const ias::Owned<T> object = create<T>(der);
        if (object.get() == nullptr) {
            EXPECT_EQ("(none)", row.summary);
            continue;
        }
        EXPECT_EQ(summary(*object), row.summary);
        const ByteVector encoded = object->encode();
        EXPECT_EQ(hexOf(encoded), hexOf(ByteVector(row.encoded.empty() ? row.hex : row.encoded)));
        EXPECT_EQ(
            hexOf(IAS::createObject<T>(object->choice(), IASSCU::CDerOctet(encoded))->encode()),
            hexOf(encoded));
        EXPECT_EQ(hexOf(std::unique_ptr<IAS::CCioObject>(object->clone())->encode()),
                  hexOf(encoded));
    }
}

const char* const kMissing = ciotest::kMissing;
const char* const kDecoding = testsupport::kDecoding;

// Every private-key attribute present: native FALSE, dates with their zone letter.
const char* const kFullRsa =
    "30 6F 30 03 03 01 00 30 3B 04 01 45 03 02 06 40 01 01 00 03 02 07 80 02 01 03"
    " 18 0F 32 30 32 34 30 31 33 31 31 32 30 30 30 30 5A"
    " 80 0F 32 30 33 30 31 32 33 31 32 33 35 39 35 39 5A A1 06 02 01 01 02 01 02"
    " A0 14 30 12 30 00 A0 08 30 06 02 01 01 04 01 45 A1 04 82 02 61 62"
    " A1 15 30 13 30 06 04 04 3F 00 50 15 02 02 08 00 30 05 05 00 03 01 00";
} // namespace

TEST(CioKeyTest, PrivateKeys) {
    check<IAS::CCioPrivateKey>({
        {kFullRsa,
         "45|2|0|1/1|3|20240131120000Z|20301231235959Z|1,2|30 00|1:04 01 45|A1 04 82 02 61 62|"
         "-1 30 06 04 04 3F 00 50 15|2048|05 00/0",
         ""},
        // no class attributes: the defaults, written back with an empty iD
        {"30 15 30 03 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 02 02 04 00",
         "|0|1|0/0|-1|||||||-1 30 06 04 04 3F 00 50 15|1024|",
         "30 1C 30 03 03 01 00 30 05 04 00 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 02 02 04 "
         "00"},
        // native TRUE given is the DEFAULT and left out; accessFlags without bits stays defined
        {"30 23 30 03 03 01 00 30 0C 04 01 01 03 01 00 01 01 FF 03 01 00 A1 0E 30 0C 30 06 04 04 "
         "3F 00 50 15 02 02 04 00",
         "01|0|1|0/1|-1|||||||-1 30 06 04 04 3F 00 50 15|1024|",
         "30 20 30 03 03 01 00 30 09 04 01 01 03 01 00 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 "
         "15 02 02 04 00"},
        // a DH key [1], written back untagged by the object (the file retags it)
        {"A1 1D 30 03 03 01 00 30 06 04 01 02 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 30 02 "
         "05 00",
         "02|0|1|0/0|-1|||||||1 30 06 04 04 3F 00 50 15|05 00/FFFFFFFF",
         "30 1D 30 03 03 01 00 30 06 04 01 02 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 30 02 "
         "05 00"},
        // [2] key identifiers are not a private-key member: ignored
        {"30 2A 30 03 03 01 00 30 06 04 01 02 03 01 00 A0 0B 30 09 A2 07 30 05 02 01 01 04 00 A1 "
         "0E 30 0C 30 06 04 04 3F 00 50 15 02 02 04 00",
         "02|0|1|0/0|-1|||||||-1 30 06 04 04 3F 00 50 15|1024|",
         "30 1D 30 03 03 01 00 30 06 04 01 02 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 02 02 "
         "04 00"},
        {"30 1A 30 03 03 01 00 30 03 04 01 01 A1 0E 30 0C 30 06 04 04 3F 00 50 15 02 02 04 00",
         kMissing, ""}, // no usage
        {"30 1C 30 03 03 01 00 30 05 24 00 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 02 02 04 "
         "00",
         kDecoding, ""}, // constructed iD
        {"30 1E 30 03 03 01 00 30 07 04 00 03 01 00 38 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 02 "
         "02 04 00",
         kDecoding, ""}, // constructed startDate
        {"30 11 30 03 03 01 00 A1 0A 30 08 04 02 3F 00 02 02 04 00", kMissing,
         ""}, // value not a path
        {"30 18 30 03 03 01 00 A1 11 30 0F 30 06 04 04 3F 00 50 15 02 02 04 00 02 01 05", kDecoding,
         ""}, // keyInfo a bare INTEGER
        {"A0 15 30 03 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 02 02 04 00", "(none)",
         ""}, // EC [0]: no factory
        {"BF 8F FF FF FF 7F 15 30 03 03 01 00 A1 0E 30 0C 30 06 04 04 3F 00 50 15 02 02 04 00",
         kDecoding, ""}, // [4294967295] is no choice, least of all the untagged one
    });
}

TEST(CioKeyTest, PublicKeys) {
    check<IAS::CCioPublicKey>({
        {"30 40 30 03 03 01 00 30 06 04 01 03 03 01 00 A0 1A 30 18 30 00 A0 04 03 02 07 80 A1 04 "
         "82 02 61 62 A2 08 30 06 02 01 01 04 01 45 A1 15 30 13 30 06 04 04 3F 00 50 15 02 02 08 "
         "00 30 05 05 00 03 01 00",
         "03|0|1|0/0|-1||||30 00|1|A1 04 82 02 61 62|1:04 01 45|-1 2:30 06 04 04 3F 00 50 15|2048|"
         "05 00/0",
         ""},
        // [2] identifiers without trusted usage; a DH key whose value is direct
        {"A1 23 30 03 03 01 00 30 06 04 01 04 03 01 00 A0 0B 30 09 A2 07 30 05 02 01 01 04 00 A1 "
         "07 30 05 A0 03 02 01 05",
         "04|0|1|0/0|-1|||||||1:04 00|1 1:02 01 05|",
         "30 23 30 03 03 01 00 30 06 04 01 04 03 01 00 A0 0B 30 09 A2 07 30 05 02 01 01 04 00 A1 "
         "07 30 05 A0 03 02 01 05"},
        {"30 11 30 03 03 01 00 A1 0A 30 08 30 06 04 04 3F 00 50 15", kMissing, ""},
    });
}

TEST(CioCertificateTest, X509Certificates) {
    const std::string id = "04 01 45 ";
    const auto validity = [](const std::string& notBefore, const std::string& notAfter) {
        return tlv("A4", notBefore + " " + notAfter);
    };
    const std::string utc49 = tlv("17", ascii("491231235959Z"));
    const std::string utc50 = tlv("17", ascii("500101000000Z"));
    const char* const kPath = "2:30 06 04 04 3F 00 50 15";
    check<IAS::CCioCertificate>({
        {cert(id +
                  "01 01 FF 30 06 02 01 01 04 01 45 80 02 AA BB A1 04 03 02 07 80 A2 08 30 06 02 "
                  "01 02 04 01 46 " +
                  validity(tlv("17", ascii("230101000000Z")), tlv("18", ascii("20500101000000Z"))),
              "30 06 04 04 3F 00 50 15 30 00 A0 00 02 01 05"),
         "45|1|30 06 02 01 01 04 01 45|80 02 AA BB|1|2:04 01 46|20230101000000-20500101000000|" +
             std::string(kPath) + "|30 00|30 00|02 01 05",
         ""},
        {cert(id), "45|0|||||-|" + std::string(kPath) + "|||", ""},
        // no [3] member: matching stops there and the validity is not read
        {cert(id + "83 01 FF " + validity(utc49, utc50)),
         "45|0|||||-|" + std::string(kPath) + "|||", cert(id)},
        {cert(id + validity(utc49, utc50)),
         "45|0|||||20491231235959-19500101000000|" + std::string(kPath) + "|||", ""},
        // a fraction is dropped; the times are written back as UTCTime
        {cert(id +
              validity(tlv("18", ascii("20240101120000.5Z")), tlv("17", ascii("991231235959Z")))),
         "45|0|||||20240101120000-19991231235959|" + std::string(kPath) + "|||",
         cert(id + validity(tlv("17", ascii("240101120000Z")), tlv("17", ascii("991231235959Z"))))},
        {cert(id + validity(utc49, "")), kMissing, ""},
        {cert(id + validity(tlv("17", ascii("23010100000")), utc50)),
         "Inconsistent data length in BER octet.", ""},
        {cert(id + validity(tlv("17", ascii("AB0101000000Z")), utc50)), kDecoding, ""},
        {cert(id + validity("04 01 00", utc50)),
         "The operation is inconsistent for this type of BER octet.", ""},
        {cert(id + "84 00"), kDecoding, ""},
        {cert(id + "81 00"), kDecoding, ""},
        {cert("24 00"), kDecoding, ""},
        {cert("01 01 FF"), kMissing, ""},
        {cert(id, ""), kMissing, ""},
        {"A0" + cert(id).substr(2), "(none)", ""}, // attribute certificate [0]: no factory
    });
}

namespace {
// Each element of a real directory file against its summary written out by
// hand ("(none)" for kinds without a factory), and decoded again from its
// encoding to the same summary.
template <class T>
void checkFile(const char* file, std::size_t count, const std::vector<std::string>& summaries) {
    SCOPED_TRACE(file);
    const std::vector<IASSCU::CDerOctet> elements = IAS::CCiaFile::splitElements(realCard(file));
    ASSERT_EQ(elements.size(), count);
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        const ias::Owned<T> object = create<T>(elements[i]);
        if (object.get() == nullptr) {
            EXPECT_EQ(summaries[i], "(none)");
            continue;
        }
        EXPECT_EQ(summary(*object), summaries[i]);
        EXPECT_EQ(summary(*create<T>(object->encode())), summaries[i]);
    }
}

const char* const kMyEidId = "3D 45 B4 D3 90 32 9A F7 26 52 24 48 3C 1F 0D FA 76 7C 79 F6";
} // namespace

TEST(CioKeyTest, RealDirectoryFiles) {
    // 03 02 00 34 (usage bits 2, 3, 5); 03 03 00 00 40 (bit 9); 03 02 00 00 (no access flag)
    checkFile<IAS::CCioPrivateKey>(
        "cardos5-vw-pki-card-a-opensc-fuzz/prkdf.hex", 7,
        {"11|2C|1|0/0|1|||||||-1 30 06 04 04 3F 00 50 15|2048|",
         "33|200|1|0/0|3|||||||-1 30 06 04 04 3F 00 50 15|2048|",
         "61|22|1|0/1|4|||||||-1 30 0C 04 04 3F 00 50 15 02 01 00 80 01 00|2048|"});
    checkFile<IAS::CCioPrivateKey>(
        "myeid-opensc-fuzz/prkdf.hex", 2,
        {std::string(kMyEidId) + "|4|1|1D/1|1|||||||-1 30 08 04 06 3F 00 50 15 4B 01|1024|",
         "(none)"}); // an EC key
    checkFile<IAS::CCioPublicKey>(
        "myeid-opensc-fuzz/pukdf.hex", 1,
        {std::string(kMyEidId) + "|40|0|0/0|0||||||||-1 2:30 08 04 06 3F 00 50 15 55 01|1024|"});
}

TEST(CioCertificateTest, RealDirectoryFiles) {
    checkFile<IAS::CCioCertificate>(
        "cardos5-vw-pki-card-a-opensc-fuzz/cdf.hex", 7,
        {"11|0|||||-|2:30 08 04 06 3F 00 50 15 45 41|||",
         "33|0|||||-|2:30 08 04 06 3F 00 50 15 45 43|||",
         "61|0|||||-|2:30 0F 04 06 3F 00 50 15 45 74 02 01 00 80 02 05 E4|||"});
    checkFile<IAS::CCioCertificate>(
        "cardos5-vw-pki-card-a-opensc-fuzz/cdf-trusted.hex", 4,
        {"32 32 35 31 31 38 30 33 30 35 36 36 30 35 35 38 31 33 39|0|||||-|"
         "2:30 10 04 06 3F 00 50 15 45 74 02 02 1D 6C 80 02 05 89|||"});
}

TEST(CioKeyTest, ExportedObjects) {
    const ias::CCioPrivateRSAKey rsa{ias::_HB(kFullRsa)};
    EXPECT_TRUE(rsa.id() == ias::_HB("45"));
    EXPECT_FALSE(rsa.native());
    EXPECT_EQ(rsa.endDate(), "20301231235959Z");
    EXPECT_EQ(rsa.algReference(), (std::vector<int>{1, 2}));
    EXPECT_EQ(rsa.keyIdentifiers().at(0).idType(), 1);
    EXPECT_TRUE(rsa.value().efidOrPath() == ias::_HB("3F 00 50 15"));
    EXPECT_EQ(rsa.modulusLength(), 2048);
    EXPECT_EQ(rsa.keyInfo().operations(), 0u);
    EXPECT_EQ(rsa.choice(), -1);
    // a copy owns a copy of the object; a view presents the object it is given
    ias::Owned<IAS::CCioPrivateKey> dh(new IAS::CCioPrivateDHKey);
    const ias::CCioPrivateDHKey view(ias::Owned<IAS::CCioPrivateKey>::view(dh.get()));
    EXPECT_EQ(ias::CCioPrivateRSAKey(rsa).getPrivateObject() == rsa.getPrivateObject(), false);
    EXPECT_EQ(view.getPrivateObject(), dh.get());
    EXPECT_EQ(view.choice(), 1);
    EXPECT_EQ(view.keyReference(), -1);
    const ias::CCioPublicDHKey none{ias::Owned<IAS::CCioPublicKey>()};
    const std::pair<std::function<void()>, const char*> failures[] = {
        {[&] { none.id(); }, testsupport::kIllegal},
        {[&] { none.trustedUsage(); }, testsupport::kIllegal},
        {[&] { none.value(); }, testsupport::kIllegal},
        {[] { ias::CCioPublicRSAKey(ias::_HB("30 00")); }, kMissing},
        {[] { ias::CCioX509Certificate(ias::_HB("04 00")); }, kDecoding}};
    for (const auto& failure : failures) {
        SCOPED_TRACE(failure.second);
        try {
            failure.first();
            ADD_FAILURE() << "no exception";
        } catch (const ias::CIASException& e) {
            EXPECT_EQ(e.errorClass(), ias::CIASException::IAS_ERR_CARD_FRAMEWORK);
            EXPECT_STREQ(e.descriptionA(), failure.second);
        }
    }
}

TEST(CioCertificateTest, ExportedObject) {
    const std::string times =
        tlv("17", ascii("230101000000Z")) + tlv(" 17", ascii("491231235959Z"));
    const ias::CCioX509Certificate x509{ias::_HB(
        cert("04 01 45 A1 04 03 02 07 80 A2 08 30 06 02 01 02 04 01 46 " + tlv("A4", times),
             "30 06 04 04 3F 00 50 15 A0 00 02 01 05"))};
    EXPECT_TRUE(x509.id() == ias::_HB("45"));
    EXPECT_FALSE(x509.authority());
    EXPECT_EQ(x509.trustedUsage().keyUsage(), 1u);
    EXPECT_EQ(x509.identifiers().size(), 1u);
    EXPECT_EQ(x509.validity(),
              std::make_pair(std::string("20230101000000"), std::string("20491231235959")));
    EXPECT_EQ(x509.value().type(), 2);
    EXPECT_EQ(x509.subject().size(), 0u);
    EXPECT_TRUE(x509.issuer() == ias::_HB("30 00"));
    EXPECT_TRUE(x509.serialNumber() == ias::_HB("02 01 05"));
    EXPECT_EQ(ias::CCioX509Certificate().certHash().size(), 0u);
}
