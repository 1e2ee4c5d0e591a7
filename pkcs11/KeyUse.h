// What the card can do with one private key, and the mechanisms that reach
// it: built from the key's PrKDF entry and EF.CIAInfo's supportedAlgorithms.
#ifndef PKCS11_KEYUSE_H
#define PKCS11_KEYUSE_H

#include "Attributes.h"

#include "token/Bytes.h"

#include <ias/CCiaInfoFile.h>
#include <ias/CCiaPath.h>

#include <openssl/evp.h>

#include <vector>

namespace p11 {

struct KeyUse {
    /// How the card signs with the key: a non-repudiation key through PSO
    /// HASH + COMPUTE DIGITAL SIGNATURE, any other signing key through
    /// INTERNAL AUTHENTICATE over a DigestInfo.
    enum class Signs { No, ByHash, ByDigestInfo };

    struct Mechanism {
        CK_MECHANISM_TYPE type = 0;
        int algRef = -1;   ///< MSE tag 80 value
        bool sign = false; ///< else decipher
        /// The host's hash of a hash-and-sign mechanism (null: none), its length.
        const EVP_MD* (*digest)() = nullptr;
        int hashLength = 0;
        token::Bytes prefix; ///< DigestInfo header of that hash
    };

    unsigned char reference = 0; ///< MSE tag 84 value
    bool hasPath = false;
    ias::CCiaPath path; ///< the DF the key lives in
    Signs signs = Signs::No;
    bool decrypts = false;
    bool alwaysAuthenticate = false;
    CK_ULONG modulusBytes = 0;
    std::vector<Mechanism> mechanisms; ///< what this module offers for the key

    /// `usage`: the KeyUsageFlags bits; `allowed`: the key's algReference list
    /// (all announced algorithms when empty); `announced`: supportedAlgorithms.
    static KeyUse build(unsigned int usage, const std::vector<int>& allowed,
                        const std::vector<ias::CCiaInfoFile::AlgorithmInfo>& announced);

    /// The mechanism offered for signing (or deciphering), or null.
    const Mechanism* find(CK_MECHANISM_TYPE type, bool sign) const;
    /// For a signing key that hashes on the card: the offered mechanism whose
    /// DigestInfo header starts `digestInfo`, its hash following; or null.
    const Mechanism* byDigestInfo(const token::Bytes& digestInfo) const;
};

} // namespace p11

#endif
