#include "Cia/CCioAuthentication.h"
#include "Cia/CCioDataContainer.h"
#include "Cia/CCioFile.h"
#include "Cia/CCioPrivateRSAKey.h"
#include "Cia/CCioX509Certificate.h"
#include "TestSupport.h"

#include <ias/CAuthObjectFile.h>
#include <ias/CCertificateFile.h>
#include <ias/CCioIso7816DO.h>
#include <ias/CCioOidDO.h>
#include <ias/CCioOpaqueDO.h>
#include <ias/CCioPasswordAuth.h>
#include <ias/CCioPrivateDHKey.h>
#include <ias/CCioPrivateRSAKey.h>
#include <ias/CDataContainerFile.h>
#include <ias/CIASException.h>
#include <ias/CPrivateKeyFile.h>
#include <ias/CPublicKeyFile.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

namespace {
using testsupport::failureOf;
using testsupport::hexOf;
using testsupport::realCard;
using ZAZ::ByteVector;
using DataFile = IAS::CCryptoInfoObjectFile<IAS::CCioDataContainer>;
using AuthFile = IAS::CCryptoInfoObjectFile<IAS::CCioAuthentication>;

// opaqueDO with every class attribute (name "app", OID 1 2 3 4, iD 01 02) and a path value.
const char* const kOpaque = "30 1E 30 04 03 02 06 40 30 0E 0C 03 61 70 70 06 03 2A 03 04 04 02 01 "
                            "02 A1 06 30 04 04 02 3F 00";
// iso7816DO [0] without class attributes, an IA5String URL "x".
const char* const kIso = "A0 0B 30 04 03 02 06 40 A1 03 16 01 78";
// oidDO [1]: no factory, skipped.
const char* const kOid = "A1 02 30 00";

template <class F> std::string publicFailure(F&& f) {
    try {
        f();
    } catch (const ias::CIASException& e) {
        return std::to_string(e.errorClass()) + "/" + std::to_string(e.error()) + "/" +
               std::to_string(e.sw()) + " " + e.descriptionA();
    }
    return "";
}

// "choice:name|oid|id|valueType:value" per object.
std::string summary(const DataFile& file) {
    std::string s;
    for (const auto& o : file.objects()) {
        const auto* v = dynamic_cast<const IAS::CCioValueDataContainer*>(o.get());
        s += std::to_string(o->choice()) + ":" + hexOf(o->applicationName()) + "|" +
             o->applicationOID() + "|" + hexOf(o->id()) + "|" + std::to_string(v->value().type()) +
             ":" + hexOf(v->value().value()) + ";";
    }
    return s;
}

// "choice authId/ref/se" then, for a password,
// "flags type min stored max ref pad(defined) time path".
std::string summary(const IAS::CCioAuthentication& a) {
    std::string s = std::to_string(a.choice()) + " " + hexOf(a.authId()) + "/" +
                    std::to_string(a.authReference()) + "/" + std::to_string(a.seIdentifier());
    if (const auto* p = dynamic_cast<const IAS::CCioPasswordAuth*>(&a)) {
        s += " " + std::to_string(p->pwdFlags()) + " " + std::to_string(p->pwdType()) + " " +
             std::to_string(p->minLength()) + " " + std::to_string(p->storedLength()) + " " +
             std::to_string(p->maxLength()) + " " + std::to_string(p->pwdReference()) + " " +
             std::to_string(p->padChar()) + (p->padCharDefined() ? "d" : "") + " " +
             p->lastPasswordChange() + " " + (p->path().isNull() ? "" : hexOf(p->path().encode()));
    }
    return s;
}

// A pwd object with no class attributes and the given password attributes.
ByteVector pwd(const std::string& attributes) {
    const ByteVector inner(attributes);
    ByteVector typeAttr("30");
    typeAttr.appendByte(static_cast<unsigned char>(inner.size()));
    typeAttr.append(inner);
    ByteVector frame("30 03 03 01 00 A1");
    frame.appendByte(static_cast<unsigned char>(typeAttr.size()));
    frame.append(typeAttr);
    ByteVector out("30");
    out.appendByte(static_cast<unsigned char>(frame.size()));
    out.append(frame);
    return out;
}

// An extra kind registered at static initialisation, with no exported class.
class Unknown : public IAS::CCioOpaqueDO {
public:
    using CCioOpaqueDO::CCioOpaqueDO;
    int choice() const override { return 5; }
};
const IAS::CioRegistration<Unknown, IAS::CCioDataContainer> unknownKind(5);

// A key and a certificate under choices the exported readers refuse.
template <int N, class Base> class Retagged : public Base {
public:
    using Base::Base;
    int choice() const override { return N; }
};
const IAS::CioRegistration<Retagged<9, IAS::CCioPrivateRSAKey>, IAS::CCioPrivateKey> keyKind(9);
const IAS::CioRegistration<Retagged<5, IAS::CCioX509Certificate>, IAS::CCioCertificate> cvKind(5);
} // namespace

TEST(CioDirectoryFileTest, LifeCycle) {
    DataFile file;
    const std::string both = std::string(kOpaque) + " 00 00 " + kOid + " " + kIso + " FF FF";
    file.load(ByteVector(both));
    EXPECT_EQ(summary(file), "-1:61 70 70|1 2 3 4|01 02|2:30 04 04 02 3F 00;0:|||4:78;");
    EXPECT_EQ(hexOf(file.encode()), hexOf(ByteVector(std::string(kOpaque) + " " + kIso)));

    struct Row {
        const char* content;
        std::size_t kept; // objects left after the load
        const char* failure;
    };
    const Row rows[] = {
        {"", 0, ""},
        {"00 FF 00 FF", 0, ""},
        {"30 05 30 00", 0, "Inconsistent data length in BER octet."},
        {"A0 0B 30 04 03 02 06 40 A1 03 16 01 78 30 02 30 00", 1,
         "Mandatory data member is missing."},
        {"A0 0B 30 04 03 02 06 40 A1 03 16 01 78 61 00", 1, testsupport::kDecoding},
        {"30 0B 30 00 30 02 2C 00 A1 03 16 01 78", 0, testsupport::kDecoding},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.content);
        file.load(ByteVector(both));
        EXPECT_EQ(failureOf([&] { file.load(ByteVector(row.content)); }), row.failure);
        EXPECT_EQ(file.objects().size(), row.kept);
    }
}

TEST(CioDirectoryFileTest, DataContainerAttributes) {
    struct Row {
        const char* der;
        const char* summary;
        const char* encoding; // when it differs from der
    };
    const Row rows[] = {
        {"30 16 30 04 03 02 06 40 30 04 04 02 01 02 A1 08 A0 06 04 04 DE AD BE EF",
         "-1:||01 02|1:04 04 DE AD BE EF;", nullptr},
        // An empty class SEQUENCE is not written back.
        {"30 0D 30 04 03 02 06 40 30 00 A1 03 13 01 79", "-1:|||3:79;",
         "30 0B 30 04 03 02 06 40 A1 03 13 01 79"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.der);
        DataFile file;
        file.load(ByteVector(row.der));
        EXPECT_EQ(summary(file), row.summary);
        EXPECT_EQ(hexOf(file.encode()), row.encoding ? row.encoding : row.der);
    }
    EXPECT_EQ(hexOf(IAS::CCioOpaqueDO().encodeClassAttributes()), "30 00");
}

TEST(CioDirectoryFileTest, PasswordAttributes) {
    const std::string full = "03 02 02 0C 0A 01 02 02 01 04 02 01 08 02 01 08 80 01 81 04 01 00 "
                             "18 0F 32 30 32 30 30 31 33 31 31 32 30 30 30 30 5A 30 04 04 02 3F 00";
    const IAS::CCioPasswordAuth all{IAS::CCioFrame(pwd(full))};
    EXPECT_EQ(summary(all), "-1 /-1/-1 48 2 4 8 8 -127 0d 20200131120000Z 30 04 04 02 3F 00");
    EXPECT_EQ(hexOf(all.encode()), hexOf(pwd(full)));
    // Absent optional members; a DEFAULT pwdReference is written back.
    const IAS::CCioPasswordAuth least{IAS::CCioFrame(pwd("03 01 00 0A 01 01 02 01 04 02 01 00"))};
    EXPECT_EQ(summary(least), "-1 /-1/-1 0 1 4 0 -1 0 255  ");
    EXPECT_EQ(hexOf(least.encode()), hexOf(pwd("03 01 00 0A 01 01 02 01 04 02 01 00 80 01 00")));

    const struct {
        const char* attributes;
        const char* failure;
    } rows[] = {
        {"03 01 00 0A 01 01 02 01 04 02 01 08 02 01 08", ""},
        {"03 01 00 0A 01 01 02 01 04 02 01 00 02 01 08", ""},
        {"03 01 00 0A 01 01 02 01 09 02 01 08 02 01 08", testsupport::kIllegal},
        {"03 01 00 0A 01 01 02 01 04 02 01 06 02 01 08", testsupport::kIllegal},
        {"03 01 00 0A 01 01 02 01 04 02 01 08 04 02 20 20", testsupport::kDecoding},
        {"03 01 00 02 01 04 02 01 08", "Mandatory data member is missing."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.attributes);
        EXPECT_EQ(
            failureOf([&] { IAS::CCioPasswordAuth(IAS::CCioFrame(pwd(row.attributes))).encode(); }),
            row.failure);
    }
}

TEST(CioDirectoryFileTest, RealFiles) {
    DataFile dodf;
    dodf.load(realCard("myeid-opensc-fuzz/dodf.hex"));
    EXPECT_EQ(summary(dodf), "-1:70 6B 63 73 31 35 2D 69 6E 69 74|||2:30 08 04 06 3F 00 50 15 46 "
                             "01;");
    dodf.load(realCard("cardos5-vw-pki-card-a-opensc-fuzz/dodf.hex"));
    EXPECT_EQ(summary(dodf), "-1:|||2:30 08 04 06 3F 00 50 15 F0 01;");

    AuthFile aodf;
    aodf.load(realCard("myeid-opensc-fuzz/aodf.hex"));
    ASSERT_EQ(aodf.objects().size(), 2u);
    EXPECT_EQ(summary(*aodf.objects()[0]), "-1 FF/-1/-1 176 1 4 8 8 3 255d  ");
    EXPECT_EQ(summary(*aodf.objects()[1]), "-1 01/-1/-1 48 1 4 8 8 1 255d  ");
    // The second PIN's [1] and inner SEQUENCE run two bytes past its frame:
    // the load stops there and keeps the first PIN.
    EXPECT_EQ(failureOf([&] { aodf.load(realCard("cardos5-vw-pki-card-a-opensc-fuzz/aodf.hex")); }),
              "Inconsistent data length in BER octet.");
    ASSERT_EQ(aodf.objects().size(), 1u);
    EXPECT_EQ(summary(*aodf.objects()[0]),
              "-1 01/-1/-1 48 2 6 6 -1 1 0d 00000000000000Z 30 04 04 02 3F 00");
    const ByteVector pin(realCard("cardos5-vw-pki-card-a-opensc-fuzz/aodf.hex").data(), 72);
    EXPECT_EQ(hexOf(aodf.encode()), hexOf(pin));
}

TEST(CioDirectoryFileTest, PublicObjects) {
    ias::CAuthObjectFile aodf;
    EXPECT_TRUE(aodf.objects().empty());
    // A biometric template [0], then a PIN.
    const std::string bioHex = "A0 12 30 03 03 01 00 30 06 04 01 07 02 01 01 A1 03 04 01 AA ";
    aodf.load(ias::_HB(bioHex + pwd("03 01 00 0A 01 01 02 01 04 02 01 00").toString()));
    const ias::CAuthObjectFile::ObjectList& first = aodf.objects();
    ASSERT_EQ(first.size(), 2u);
    const auto* bio = dynamic_cast<ias::CCioPasswordAuth*>(first[0]);
    ASSERT_NE(bio, nullptr);
    EXPECT_EQ(bio->choice(), 0);
    EXPECT_TRUE(bio->authId() == ias::_HB("07"));
    EXPECT_EQ(bio->authReference(), 1);
    EXPECT_EQ(bio->pwdType(), -1);
    EXPECT_EQ(bio->maxLength(), -1);
    EXPECT_EQ(bio->pwdReference(), -1); // no reference, not the PIN with reference 0
    EXPECT_EQ(static_cast<ias::CCioPasswordAuth*>(first[1])->pwdReference(), 0);
    EXPECT_FALSE(bio->padCharDefined());
    EXPECT_TRUE(bio->lastPasswordChange().empty());
    EXPECT_EQ(static_cast<ias::CCioPasswordAuth*>(first[1])->minLength(), 4);
    EXPECT_EQ(&aodf.objects(), &first);
    EXPECT_TRUE(static_cast<ias::CBlob>(aodf) ==
                ias::_HB(bioHex + pwd("03 01 00 0A 01 01 02 01 04 02 01 00 80 01 00").toString()));

    ias::CDataContainerFile dodf;
    dodf.load(ias::_HB(kIso));
    const ias::CDataContainerFile::ObjectList& list = dodf.objects();
    const auto* iso = dynamic_cast<ias::CCioIso7816DO*>(list.at(0));
    ASSERT_NE(iso, nullptr);
    EXPECT_EQ(iso->choice(), 0);
    EXPECT_TRUE(iso->value().value() == ias::_HB("78"));
    EXPECT_TRUE(ias::CCioOpaqueDO(ias::_HB(kOpaque)).id() == ias::_HB("01 02"));
    // A registered kind the exported file has no class for.
    dodf.load(ias::_HB(std::string(kIso) + " A5 0B 30 04 03 02 06 40 A1 03 16 01 78"));
    EXPECT_EQ(publicFailure([&] { dodf.objects(); }),
              "0/1/5 Invalid data container type encountered");
    EXPECT_EQ(list.size(), 1u);

    const std::string illegal = "2/0/0 " + std::string(testsupport::kIllegal);
    EXPECT_EQ(publicFailure([] { ias::CCioOidDO().choice(); }), illegal);
    EXPECT_EQ(publicFailure([] { ias::CCioPasswordAuth().pwdType(); }), illegal);
    EXPECT_EQ(publicFailure([] { ias::CCioOpaqueDO().applicationOID(); }), illegal);
    EXPECT_EQ(publicFailure([] { ias::CDataContainerFile().load(); }),
              "2/0/0 " + std::string(testsupport::kUnknown));
    EXPECT_EQ(publicFailure([] { ias::CCioPasswordAuth(ias::_HB("30 00")); }),
              "2/0/0 Mandatory data member is missing.");
}

namespace {
ias::CBlob sampleFile(const std::string& name) {
    const char* source = std::getenv("IAS_TEST_SOURCE_DIR");
    std::ifstream in(std::string(source != nullptr ? source : ".") + "/cards/" + name,
                     std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    return ias::_HB(ByteVector(reinterpret_cast<const unsigned char*>(bytes.data()),
                               static_cast<std::int32_t>(bytes.size()))
                        .toString());
}

// Loads `name` into a fresh File, checks the object count and that the
// encoding is the file's bytes again; returns the file's objects.
template <class File>
typename File::ObjectList loadSample(File& file, const std::string& name, std::size_t count) {
    SCOPED_TRACE(name);
    const ias::CBlob bytes = sampleFile(name);
    file.load(bytes);
    EXPECT_EQ(file.objects().size(), count);
    // The encoding is the file without the filler after the last element, and
    // on the IAS ECC sample without the EC key ([0]) that ends its key files.
    const std::string all = ias::_HB(bytes);
    const std::string encoded = ias::_HB(static_cast<ias::CBlob>(file));
    EXPECT_EQ(all.substr(0, encoded.size()), encoded);
    const std::string rest = all.substr(encoded.size());
    const bool ecSkipped = name.rfind("sample-iasecc/p", 0) == 0;
    EXPECT_TRUE(ecSkipped ? rest.rfind("A0 ", 0) == 0
                          : std::regex_match(rest, std::regex("((00|FF) )*")));
    return file.objects();
}
} // namespace

TEST(CioDirectoryFileTest, SampleCards) {
    const struct {
        std::string card;
        std::size_t counts[5]; // PrKDF, PuKDF, CDF, DODF, AODF
    } cards[] = {{"sample-iasecc/", {2, 2, 2, 2, 3}}, {"sample-ias/", {1, 1, 1, 1, 2}}};
    for (const auto& c : cards) {
        ias::CPrivateKeyFile prkdf;
        ias::CPublicKeyFile pukdf;
        ias::CCertificateFile cdf;
        ias::CDataContainerFile dodf;
        ias::CAuthObjectFile aodf;
        loadSample(prkdf, c.card + "prkdf.der", c.counts[0]);
        loadSample(pukdf, c.card + "pukdf.der", c.counts[1]);
        loadSample(cdf, c.card + "cdf.der", c.counts[2]);
        loadSample(dodf, c.card + "dodf.der", c.counts[3]);
        loadSample(aodf, c.card + "aodf.der", c.counts[4]);
    }
}

TEST(CioDirectoryFileTest, KeyAndCertificateKinds) {
    const std::string rsa =
        "30 1B 30 03 03 01 00 30 06 04 01 01 03 01 00 A1 0C 30 0A 30 04 04 02 3F "
        "00 02 02 08 00 ";
    const std::string dh =
        "A1 17 30 03 03 01 00 30 06 04 01 01 03 01 00 A1 08 30 06 30 04 04 02 3F "
        "00 ";
    // EC [0] and DSA [2] are skipped.
    ias::CPrivateKeyFile prkdf;
    prkdf.load(ias::_HB("A0 02 30 00 " + rsa + "A2 00 " + dh));
    const ias::CPrivateKeyFile::ObjectList& keys = prkdf.objects();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_NE(dynamic_cast<ias::CCioPrivateRSAKey*>(keys[0]), nullptr);
    EXPECT_NE(dynamic_cast<ias::CCioPrivateDHKey*>(keys[1]), nullptr);
    EXPECT_EQ(keys[1]->choice(), 1);
    EXPECT_EQ(ias::_HB(static_cast<ias::CBlob>(prkdf)), rsa + dh);

    prkdf.load(ias::_HB("A9" + rsa.substr(2)));
    EXPECT_EQ(publicFailure([&] { prkdf.objects(); }),
              "0/1/9 Invalid private key type encountered");
    ias::CCertificateFile cdf;
    const std::string cert = ias::_HB(sampleFile("sample-ias/cdf.der"));
    cdf.load(ias::_HB(cert + "A5" + cert.substr(2)));
    EXPECT_EQ(publicFailure([&] { cdf.objects(); }), "0/0/0 CV certificate type not supported");
}
