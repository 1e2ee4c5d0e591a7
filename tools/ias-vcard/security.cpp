// The card's security operations: one security environment (template,
// algorithm, key) chosen by MANAGE SECURITY ENVIRONMENT, then signatures,
// internal authentication and deciphering with the RSA keys of the profile.
#include "card.h"
#include "status.h"

#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <memory>
#include <optional>

namespace vcard {

namespace {

constexpr std::uint8_t kAuthentication = 0xA4;
constexpr std::uint8_t kSignature = 0xB6;
constexpr std::uint8_t kConfidentiality = 0xB8;

// The algorithm references the card knows, the template each belongs to and,
// for a signature over a hash, the hash the card is handed.
struct Algorithm {
    std::uint8_t algRef;
    std::uint8_t crt;
    const EVP_MD* (*digest)();
};

const Algorithm kAlgorithms[] = {
    {0x02, kAuthentication, nullptr}, {0x1A, kConfidentiality, nullptr},
    {0x12, kSignature, EVP_sha1},     {0x42, kSignature, EVP_sha256},
    {0x52, kSignature, EVP_sha384},   {0x62, kSignature, EVP_sha512},
};

const Algorithm* algorithm(std::uint8_t algRef) {
    for (const Algorithm& a : kAlgorithms) {
        if (a.algRef == algRef) {
            return &a;
        }
    }
    return nullptr;
}

using Context = std::unique_ptr<EVP_PKEY_CTX, decltype(&EVP_PKEY_CTX_free)>;

// PKCS#1 v1.5 with the private key: with a digest, a signature over
// DigestInfo(digest, in); without, type-1 padding around `in` as it is.
// Empty when OpenSSL refuses.
Bytes rsaSign(EVP_PKEY* key, const EVP_MD* md, const Bytes& in) {
    Context ctx(EVP_PKEY_CTX_new(key, nullptr), EVP_PKEY_CTX_free);
    std::size_t n = 0;
    Bytes out;
    if (ctx && EVP_PKEY_sign_init(ctx.get()) > 0 &&
        EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) > 0 &&
        (md == nullptr || EVP_PKEY_CTX_set_signature_md(ctx.get(), md) > 0) &&
        EVP_PKEY_sign(ctx.get(), nullptr, &n, in.data(), in.size()) > 0) {
        out.resize(n);
        if (EVP_PKEY_sign(ctx.get(), out.data(), &n, in.data(), in.size()) > 0) {
            out.resize(n);
        } else {
            out.clear();
        }
    }
    ERR_clear_error(); // the card lives on; nothing may pile up in the queue
    return out;
}

// PKCS#1 v1.5 decryption; nothing when the padding is wrong.
std::optional<Bytes> rsaDecrypt(EVP_PKEY* key, const Bytes& in) {
    Context ctx(EVP_PKEY_CTX_new(key, nullptr), EVP_PKEY_CTX_free);
    std::size_t n = static_cast<std::size_t>(EVP_PKEY_get_size(key));
    Bytes out(n);
    bool ok = ctx && EVP_PKEY_decrypt_init(ctx.get()) > 0 &&
              EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) > 0;
#ifdef OSSL_ASYM_CIPHER_PARAM_IMPLICIT_REJECTION
    // Newer OpenSSL answers bad padding with random bytes; the card reports it.
    unsigned int implicit = 0;
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_uint(OSSL_ASYM_CIPHER_PARAM_IMPLICIT_REJECTION, &implicit),
        OSSL_PARAM_construct_end()};
    ok = ok && EVP_PKEY_CTX_set_params(ctx.get(), params) > 0;
#endif
    ok = ok && EVP_PKEY_decrypt(ctx.get(), out.data(), &n, in.data(), in.size()) > 0;
    ERR_clear_error();
    if (!ok) {
        return std::nullopt;
    }
    out.resize(n);
    return out;
}

} // namespace

const KeyConfig* VirtualCard::findKey(std::uint8_t reference) const {
    for (const FileNode* df = currentDf_; df != nullptr; df = df->parent) {
        for (const KeyConfig& k : df->keys) {
            if (k.reference == reference) {
                return &k;
            }
        }
    }
    return nullptr;
}

std::uint16_t VirtualCard::useKey(const KeyConfig& k) {
    PinState* p = pin(k.pin);
    if (p == nullptr || !p->verified) {
        return kSecurityNotSatisfied;
    }
    if (k.userConsent) {
        p->verified = false;
    }
    return kOk;
}

// 22 41 A4|B6|B8 with 80 01 <algRef> and 84 01 <key>, in any order. Whatever
// the outcome, the environment before it and a stored hash are gone.
VirtualCard::Reply VirtualCard::manageSecurityEnvironment(const Command& c) {
    env_.reset();
    hash_.clear();
    if (c.p1 != 0x41 ||
        (c.p2 != kAuthentication && c.p2 != kSignature && c.p2 != kConfidentiality)) {
        return Reply{{}, kWrongP1P2, false};
    }
    std::optional<std::uint8_t> algRef, keyRef;
    const Bytes& d = c.data;
    for (std::size_t i = 0; i < d.size(); i += 3) {
        std::optional<std::uint8_t>* slot = d[i] == 0x80   ? &algRef
                                            : d[i] == 0x84 ? &keyRef
                                                           : nullptr;
        if (slot == nullptr || slot->has_value() || i + 3 > d.size() || d[i + 1] != 1) {
            return Reply{{}, kWrongData, false};
        }
        *slot = d[i + 2];
    }
    if (!algRef || !keyRef) {
        return Reply{{}, kWrongData, false};
    }
    const KeyConfig* key = findKey(*keyRef);
    if (key == nullptr) {
        return Reply{{}, kRefNotFound, false};
    }
    const Algorithm* a = algorithm(*algRef);
    bool allowed =
        std::find(key->algRefs.begin(), key->algRefs.end(), *algRef) != key->algRefs.end();
    if (a == nullptr || a->crt != c.p2 || !allowed) {
        return Reply{{}, kWrongData, false};
    }
    env_ = Environment{c.p2, *algRef, key};
    return Reply{};
}

VirtualCard::Reply VirtualCard::performSecurityOperation(const Command& c) {
    switch (c.p1 << 8 | c.p2) {
    case 0x90A0:
        return hash(c);
    case 0x9E9A:
        return computeSignature(c);
    case 0x8086:
        return decipher(c);
    default:
        return Reply{{}, kWrongP1P2, false};
    }
}

// 90 Lh <hash>, Lh the length of the environment's hash.
VirtualCard::Reply VirtualCard::hash(const Command& c) {
    hash_.clear();
    if (!env_ || env_->crt != kSignature) {
        return Reply{{}, kConditionsNotSatisfied, false};
    }
    const Bytes& d = c.data;
    std::size_t want = static_cast<std::size_t>(EVP_MD_get_size(algorithm(env_->algRef)->digest()));
    if (d.size() != 2 + want || d[0] != 0x90 || d[1] != want) {
        return Reply{{}, kWrongData, false};
    }
    hash_.assign(d.begin() + 2, d.end());
    return Reply{};
}

VirtualCard::Reply VirtualCard::computeSignature(const Command& c) {
    if (!c.data.empty()) {
        return Reply{{}, kWrongLength, false};
    }
    if (!env_ || env_->crt != kSignature || hash_.empty()) {
        return Reply{{}, kConditionsNotSatisfied, false};
    }
    if (std::uint16_t sw = useKey(*env_->key); sw != kOk) {
        return Reply{{}, sw, false};
    }
    Reply r{rsaSign(env_->key->key.get(), algorithm(env_->algRef)->digest(), hash_), kOk, true};
    hash_.clear();
    r.sw = r.data.empty() ? kNoDiagnosis : kOk;
    return r;
}

// 81 || cryptogram, the whole modulus long; the answer is the message.
VirtualCard::Reply VirtualCard::decipher(const Command& c) {
    if (!env_ || env_->crt != kConfidentiality) {
        return Reply{{}, kConditionsNotSatisfied, false};
    }
    EVP_PKEY* key = env_->key->key.get();
    const Bytes& d = c.data;
    if (d.empty() || d[0] != 0x81 ||
        d.size() != 1 + static_cast<std::size_t>(EVP_PKEY_get_size(key))) {
        return Reply{{}, kWrongData, false};
    }
    if (std::uint16_t sw = useKey(*env_->key); sw != kOk) {
        return Reply{{}, sw, false};
    }
    std::optional<Bytes> message = rsaDecrypt(key, Bytes(d.begin() + 1, d.end()));
    if (!message) {
        return Reply{{}, kWrongData, false};
    }
    return Reply{std::move(*message), kOk, true};
}

// The data (a DigestInfo, or anything up to 40% of the modulus) padded and
// raised to the private exponent.
VirtualCard::Reply VirtualCard::internalAuthenticate(const Command& c) {
    if (c.p1 != 0 || c.p2 != 0) {
        return Reply{{}, kWrongP1P2, false};
    }
    if (!env_ || env_->crt != kAuthentication) {
        return Reply{{}, kConditionsNotSatisfied, false};
    }
    EVP_PKEY* key = env_->key->key.get();
    if (c.data.empty() ||
        c.data.size() > static_cast<std::size_t>(EVP_PKEY_get_size(key)) * 2 / 5) {
        return Reply{{}, kWrongLength, false};
    }
    if (std::uint16_t sw = useKey(*env_->key); sw != kOk) {
        return Reply{{}, sw, false};
    }
    Reply r{rsaSign(key, nullptr, c.data), kOk, true};
    r.sw = r.data.empty() ? kNoDiagnosis : kOk;
    return r;
}

// GET CHALLENGE: Le random bytes (8 as IAS-ECC cards give; up to 256 here).
VirtualCard::Reply VirtualCard::getChallenge(const Command& c) {
    if (c.p1 != 0 || c.p2 != 0) {
        return Reply{{}, kWrongP1P2, false};
    }
    if (!c.data.empty() || !c.hasLe) {
        return Reply{{}, kWrongLength, false};
    }
    Bytes random(c.le);
    if (RAND_bytes(random.data(), static_cast<int>(random.size())) != 1) {
        return Reply{{}, kNoDiagnosis, false};
    }
    return Reply{random, kOk, false};
}

} // namespace vcard
