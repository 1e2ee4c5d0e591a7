// The virtual card's security operations on the sample cards, one APDU at a
// time: the status word of every step, then signatures and messages checked
// with OpenSSL against the certificates the cards carry. PINs, key references
// and algorithm references are those of cards/*.json.
#include "card.h"
#include "profile.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using vcard::Bytes;
using vcard::fromHex;

std::string Source(const std::string& relative) {
    const char* dir = std::getenv("IAS_TEST_SOURCE_DIR");
    return std::string(dir != nullptr ? dir : ".") + "/cards/" + relative;
}

vcard::VirtualCard Card(const std::string& name) {
    return vcard::VirtualCard(vcard::loadProfile(Source(name + ".json")));
}

std::uint16_t Sw(const Bytes& r) {
    return static_cast<std::uint16_t>(r[r.size() - 2] << 8 | r.back());
}
std::string Hex2(std::size_t n) {
    return vcard::toHex({static_cast<std::uint8_t>(n)});
}

// Sends one command, following 61xx with GET RESPONSE: all the data, then the last SW.
Bytes Exchange(vcard::VirtualCard& card, const Bytes& apdu) {
    Bytes r = card.process(apdu), out;
    for (; r[r.size() - 2] == 0x61; r = card.process(fromHex("00C00000" + Hex2(r.back())))) {
        out.insert(out.end(), r.begin(), r.end() - 2);
    }
    out.insert(out.end(), r.begin(), r.end());
    return out;
}

const std::string kVerify81 = "0020008104 31323334", kVerify82 = "0020008206 313233343536";
const std::string kSelectApp = "00A4080C02 5015", kCds = "002A9E9A00", kReset = "RESET";
std::string Mse(const std::string& crt, const std::string& alg, const std::string& key) {
    return "002241" + crt + "06 8001" + alg + " 8401" + key;
}
std::string Hash(const Bytes& h) {
    return "002A90A0" + Hex2(h.size() + 2) + "90" + Hex2(h.size()) + vcard::toHex(h);
}
std::string Hash(std::size_t n) {
    return Hash(Bytes(n, 0xAA));
}
std::string Ia(std::size_t n) {
    return "00880000" + Hex2(n) + std::string(2 * n, '5') + "00";
}

struct Sequence {
    const char* name;
    const char* card;
    std::vector<std::pair<std::string, std::uint16_t>> steps; // APDU (or kReset), SW
};
void PrintTo(const Sequence& s, std::ostream* os) {
    *os << s.name;
}

// clang-format off
const Sequence kSequences[] = {
    {"OperationsWithoutEnvironment", "sample-iasecc", {
        {kVerify81, 0x9000}, {kVerify82, 0x9000}, {kSelectApp, 0x9000}, {Hash(32), 0x6985},
        {kCds, 0x6985}, {Ia(20), 0x6985}, {"002A808602 8100", 0x6985},
        // A signature environment is none for the other operations.
        {Mse("B6", "42", "82"), 0x9000}, {Ia(20), 0x6985}, {kCds, 0x6985}}},
    {"RefusedEnvironments", "sample-iasecc", {
        {Mse("B6", "42", "82"), 0x6A88}, // the keys live in 5015, below the MF
        {kSelectApp, 0x9000}, {Mse("B6", "42", "83"), 0x6A88}, {"00A4020C02 5032", 0x9000},
        {Mse("A4", "02", "81"), 0x9000}, {Mse("A4", "42", "81"), 0x6A80},
        {Mse("B8", "02", "81"), 0x6A80}, {Mse("B8", "1A", "82"), 0x6A80},
        {Mse("B6", "22", "82"), 0x6A80}, {"002241B603 800142", 0x6A80},
        {"002241B605 80014284 01", 0x6A80},
        {"002241B609 800142 800142 840182", 0x6A80}, {"002241B606 840182 800142", 0x9000},
        {Hash(20), 0x6A80}, {"002A90A022 9120" + std::string(64, 'A'), 0x6A80}, {Hash(32), 0x9000},
        {"002281B606 800142 840182", 0x6A86}, {"002241B706 800142 840182", 0x6A86},
        {Hash(32), 0x6985}}}, // a refused MSE leaves no environment
    {"SignatureKeyWantsAFreshVerifyEachTime", "sample-iasecc", {
        {kSelectApp, 0x9000}, {Mse("B6", "42", "82"), 0x9000}, {Hash(32), 0x9000},
        {kCds, 0x6982}, {kVerify81, 0x9000}, {kCds, 0x6982}, {kVerify82, 0x9000},
        {kCds, 0x9000}, {"0020008200", 0x63C3}, {kCds, 0x6985}, // the hash is spent too
        {Hash(32), 0x9000}, {kCds, 0x6982}, {kVerify82, 0x9000}, {kCds, 0x9000}}},
    {"AuthenticationKeyStaysUsable", "sample-iasecc", {
        {kSelectApp, 0x9000}, {Mse("A4", "02", "81"), 0x9000}, {Ia(20), 0x6982},
        {kVerify81, 0x9000}, {Ia(20), 0x9000}, {Ia(102), 0x9000}, {Ia(103), 0x6700},
        {"0020FF8100", 0x9000}, {Ia(20), 0x6982}}},
    {"SelectKeepsResetClears", "sample-iasecc", {
        {kVerify82, 0x9000}, {kSelectApp, 0x9000}, {Mse("B6", "12", "82"), 0x9000},
        {Hash(20), 0x9000}, {"00A4000C02 3F00", 0x9000}, {"00A4080C04 50153402", 0x9000},
        {kCds, 0x9000}, {kVerify82, 0x9000}, {Hash(20), 0x9000}, {kReset, 0},
        {"0020008200", 0x63C3}, {kVerify82, 0x9000}, {kSelectApp, 0x9000}, {kCds, 0x6985},
        {Hash(20), 0x6985}}},
    {"DecipherFormats", "sample-iasecc", {
        {kVerify81, 0x9000}, {kSelectApp, 0x9000}, {Mse("B8", "1A", "81"), 0x9000},
        {"102A8086FF 81" + std::string(508, '0'), 0x9000}, {"002A808602 000000", 0x6A80},
        {"102A8086FF 82" + std::string(508, '0'), 0x9000}, {"002A808602 000000", 0x6A80},
        {"002A808681 81" + std::string(256, '0') + "00", 0x6A80}}},
    {"OlderCardAnswersThrough61xx", "sample-ias", {
        {kVerify81, 0x9000}, {kSelectApp, 0x9000}, {Mse("A4", "02", "82"), 0x6A80},
        {Mse("B6", "42", "82"), 0x9000}, {Hash(32), 0x9000}, {kCds, 0x6110},
        {"00C0000010", 0x6110}}},
};
// clang-format on

class VcardSequence : public ::testing::TestWithParam<Sequence> {};

TEST_P(VcardSequence, StatusWords) {
    vcard::VirtualCard card = Card(GetParam().card);
    for (const auto& [apdu, sw] : GetParam().steps) {
        if (apdu == kReset) {
            card.reset();
        } else {
            EXPECT_EQ(Sw(card.process(fromHex(apdu))), sw) << apdu;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sample, VcardSequence, ::testing::ValuesIn(kSequences),
                         [](const auto& p) { return std::string(p.param.name); });

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using Ctx = std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)>;

// The public key of a certificate under cards/certs, and a PKCS#1 v1.5 context on it.
Key CertKey(const std::string& name) {
    std::ifstream in(Source("certs/" + name + ".der"), std::ios::binary);
    const Bytes der((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const unsigned char* p = der.data();
    std::unique_ptr<X509, decltype(&X509_free)> cert(
        d2i_X509(nullptr, &p, static_cast<long>(der.size())), X509_free);
    return Key(cert ? X509_get_pubkey(cert.get()) : nullptr, EVP_PKEY_free);
}
Ctx Pkcs1(EVP_PKEY* key, int (*init)(EVP_PKEY_CTX*)) {
    Ctx ctx(EVP_PKEY_CTX_new(key, nullptr), EVP_PKEY_CTX_free);
    EXPECT_EQ(init(ctx.get()), 1);
    EXPECT_EQ(EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING), 1);
    return ctx;
}

void Send(vcard::VirtualCard& card, const std::vector<std::string>& apdus) {
    for (const std::string& apdu : apdus) {
        ASSERT_EQ(Sw(card.process(fromHex(apdu))), 0x9000) << apdu;
    }
}

TEST(VcardCrypto, SignaturesVerifyAgainstTheCertificate) {
    const struct {
        const char *card, *alg;
        const EVP_MD* (*md)();
        std::string verify;
    } rows[] = {{"sample-iasecc", "12", EVP_sha1, kVerify82},
                {"sample-iasecc", "42", EVP_sha256, kVerify82},
                {"sample-iasecc", "52", EVP_sha384, kVerify82},
                {"sample-iasecc", "62", EVP_sha512, kVerify82},
                {"sample-ias", "42", EVP_sha256, kVerify81}}; // T=0: through GET RESPONSE
    Key pub = CertKey("sign");
    ASSERT_TRUE(pub);
    for (const auto& row : rows) {
        vcard::VirtualCard card = Card(row.card);
        Bytes digest(static_cast<std::size_t>(EVP_MD_get_size(row.md())));
        ASSERT_EQ(EVP_Digest("message", 7, digest.data(), nullptr, row.md(), nullptr), 1);
        Send(card, {row.verify, kSelectApp, Mse("B6", row.alg, "82"), Hash(digest)});
        const Bytes sig = Exchange(card, fromHex(kCds));
        ASSERT_EQ(Sw(sig), 0x9000) << row.card << " " << row.alg;
        Ctx v = Pkcs1(pub.get(), EVP_PKEY_verify_init);
        ASSERT_EQ(EVP_PKEY_CTX_set_signature_md(v.get(), row.md()), 1);
        EXPECT_EQ(
            EVP_PKEY_verify(v.get(), sig.data(), sig.size() - 2, digest.data(), digest.size()), 1)
            << row.card << " " << row.alg;
    }
}

TEST(VcardCrypto, InternalAuthenticateAndDecipherWithTheAuthenticationKey) {
    vcard::VirtualCard card = Card("sample-iasecc");
    Key pub = CertKey("auth");
    ASSERT_TRUE(pub);
    // A SHA-256 DigestInfo, as a TLS client hands it over, comes back from the public key.
    const std::string digestInfo = "3031300D060960864801650304020105000420" + std::string(64, 'C');
    Send(card, {kVerify81, kSelectApp, Mse("A4", "02", "81")});
    Bytes sig = card.process(fromHex("0088000033" + digestInfo + "00")), recovered(256);
    ASSERT_EQ(Sw(sig), 0x9000);
    std::size_t n = recovered.size();
    ASSERT_EQ(EVP_PKEY_verify_recover(Pkcs1(pub.get(), EVP_PKEY_verify_recover_init).get(),
                                      recovered.data(), &n, sig.data(), sig.size() - 2),
              1);
    recovered.resize(n);
    EXPECT_EQ(recovered, fromHex(digestInfo));

    // A message enciphered to the certificate, sent in two chained pieces.
    const std::string secret = "a premaster secret of the session";
    Bytes cryptogram(256);
    n = cryptogram.size();
    ASSERT_EQ(EVP_PKEY_encrypt(Pkcs1(pub.get(), EVP_PKEY_encrypt_init).get(), cryptogram.data(), &n,
                               reinterpret_cast<const unsigned char*>(secret.data()),
                               secret.size()),
              1);
    const std::string hex = vcard::toHex(cryptogram);
    Send(card, {Mse("B8", "1A", "81"), "102A8086C8 81" + hex.substr(0, 398)});
    const Bytes plain = card.process(fromHex("002A808639" + hex.substr(398) + "00"));
    ASSERT_EQ(Sw(plain), 0x9000);
    EXPECT_EQ(std::string(plain.begin(), plain.end() - 2), secret);
}

} // namespace
