#include "KeyUse.h"

#include <algorithm>

namespace p11 {

namespace {

// supportedOperations and KeyUsageFlags, bit n as 2^n.
constexpr unsigned int kComputeSignature = 1u << 1;
constexpr unsigned int kDecipher = 1u << 5;
constexpr unsigned int kUsageDecrypt = 1u << 1;
constexpr unsigned int kUsageSign = 1u << 2;
constexpr unsigned int kUsageUnwrap = 1u << 5;
constexpr unsigned int kUsageNonRepudiation = 1u << 9;

struct Hash {
    CK_MECHANISM_TYPE type;
    const EVP_MD* (*digest)();
    int length;
    std::vector<unsigned char> prefix;
};

const std::vector<Hash>& Hashes() {
    static const std::vector<Hash> table = {
        {CKM_SHA1_RSA_PKCS,
         EVP_sha1,
         20,
         {0x30, 0x21, 0x30, 0x09, 0x06, 0x05, 0x2B, 0x0E, 0x03, 0x02, 0x1A, 0x05, 0x00, 0x04,
          0x14}},
        {CKM_SHA256_RSA_PKCS,
         EVP_sha256,
         32,
         {0x30, 0x31, 0x30, 0x0D, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01,
          0x05, 0x00, 0x04, 0x20}},
        {CKM_SHA384_RSA_PKCS,
         EVP_sha384,
         48,
         {0x30, 0x41, 0x30, 0x0D, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x02,
          0x05, 0x00, 0x04, 0x30}},
        {CKM_SHA512_RSA_PKCS,
         EVP_sha512,
         64,
         {0x30, 0x51, 0x30, 0x0D, 0x06, 0x09, 0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x03,
          0x05, 0x00, 0x04, 0x40}},
    };
    return table;
}

} // namespace

KeyUse KeyUse::build(unsigned int usage, const std::vector<int>& allowed,
                     const std::vector<ias::CCiaInfoFile::AlgorithmInfo>& announced) {
    KeyUse k;
    std::vector<ias::CCiaInfoFile::AlgorithmInfo> usable;
    for (const auto& a : announced) {
        if (a.algRef >= 0 && a.algRef <= 0xFF &&
            (allowed.empty() ||
             std::find(allowed.begin(), allowed.end(), a.reference) != allowed.end())) {
            usable.push_back(a);
        }
    }
    const auto entry = [&](CK_MECHANISM_TYPE type, unsigned int operation) {
        return std::find_if(usable.begin(), usable.end(), [&](const auto& a) {
            return static_cast<CK_MECHANISM_TYPE>(a.algorithm) == type &&
                   (a.supportedOperations & operation) != 0;
        });
    };
    const auto rawSign = entry(CKM_RSA_PKCS, kComputeSignature);
    if (usage & kUsageNonRepudiation) {
        // The card hashes and pads: each hash it announces for the key, and
        // CKM_RSA_PKCS over a DigestInfo of one of them.
        for (const Hash& h : Hashes()) {
            const auto a = entry(h.type, kComputeSignature);
            if (a != usable.end()) {
                k.mechanisms.push_back({h.type, a->algRef, true, h.digest, h.length,
                                        token::Bytes(h.prefix.begin(), h.prefix.end())});
            }
        }
        if (!k.mechanisms.empty()) {
            k.signs = Signs::ByHash;
            k.mechanisms.push_back({CKM_RSA_PKCS, -1, true, nullptr, 0, {}});
        }
    } else if ((usage & kUsageSign) && rawSign != usable.end()) {
        // The card pads what it is given: the host hashes for the others.
        k.signs = Signs::ByDigestInfo;
        k.mechanisms.push_back({CKM_RSA_PKCS, rawSign->algRef, true, nullptr, 0, {}});
        for (const Hash& h : Hashes()) {
            if (entry(h.type, kComputeSignature) != usable.end()) {
                k.mechanisms.push_back({h.type, rawSign->algRef, true, h.digest, h.length,
                                        token::Bytes(h.prefix.begin(), h.prefix.end())});
            }
        }
    }
    const auto decipher = entry(CKM_RSA_PKCS, kDecipher);
    if ((usage & (kUsageDecrypt | kUsageUnwrap)) && decipher != usable.end()) {
        k.decrypts = true;
        k.mechanisms.push_back({CKM_RSA_PKCS, decipher->algRef, false, nullptr, 0, {}});
    }
    return k;
}

const KeyUse::Mechanism* KeyUse::find(CK_MECHANISM_TYPE type, bool sign) const {
    for (const Mechanism& m : mechanisms) {
        if (m.type == type && m.sign == sign) {
            return &m;
        }
    }
    return nullptr;
}

const KeyUse::Mechanism* KeyUse::byDigestInfo(const token::Bytes& digestInfo) const {
    for (const Mechanism& m : mechanisms) {
        if (m.sign && m.hashLength > 0 &&
            digestInfo.size() == m.prefix.size() + static_cast<std::size_t>(m.hashLength) &&
            std::equal(m.prefix.begin(), m.prefix.end(), digestInfo.begin())) {
            return &m;
        }
    }
    return nullptr;
}

} // namespace p11
