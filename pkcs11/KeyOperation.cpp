#include "KeyOperation.h"

#include <openssl/evp.h>

namespace p11 {

namespace {

// One command; answers announced with 61xx (T=0 cards) are fetched with GET
// RESPONSE, the only case where it is sent.
unsigned short Send(ias::CIASCard& card, unsigned char cla, unsigned char ins, unsigned char p1,
                    unsigned char p2, const token::Bytes& data, unsigned long le,
                    token::Bytes& out) {
    ias::CBlob response;
    unsigned short sw = 0;
    card.sendAPDU(cla, ins, p1, p2, token::ToBlob(data), le, response, sw);
    out = token::ToBytes(response);
    // A card that keeps announcing more is cut off: no answer here is longer
    // than a 4096-bit modulus.
    for (int round = 0; (sw & 0xFF00) == 0x6100; ++round) {
        if (round == 64 || out.size() > 512) {
            return 0x6F00;
        }
        const unsigned long more = (sw & 0xFF) ? (sw & 0xFF) : 256;
        card.sendAPDU(0x00, 0xC0, 0x00, 0x00, ias::CBlob(), more, response, sw);
        const token::Bytes piece = token::ToBytes(response);
        out.insert(out.end(), piece.begin(), piece.end());
    }
    return sw;
}

unsigned short SetEnvironment(ias::CIASCard& card, unsigned char crt, int algRef,
                              unsigned char key) {
    const token::Bytes data = {0x80, 0x01, static_cast<unsigned char>(algRef), 0x84, 0x01, key};
    token::Bytes ignored;
    return Send(card, 0x00, 0x22, 0x41, crt, data, 0, ignored);
}

} // namespace

struct KeyOperation::Digest {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Digest() { EVP_MD_CTX_free(ctx); }
};

KeyOperation::KeyOperation(Kind kind, std::shared_ptr<const KeyUse> key,
                           const KeyUse::Mechanism& mechanism, CK_OBJECT_HANDLE handle)
    : m_kind(kind), m_key(std::move(key)), m_mechanism(mechanism), m_handle(handle) {}

KeyOperation::~KeyOperation() = default;

CK_RV KeyOperation::update(const unsigned char* data, CK_ULONG length) {
    if (m_kind != Kind::Sign || !m_mechanism.digest) {
        return CKR_FUNCTION_NOT_SUPPORTED;
    }
    if (!m_digest) {
        m_digest = std::make_unique<Digest>();
        if (!m_digest->ctx ||
            EVP_DigestInit_ex(m_digest->ctx, m_mechanism.digest(), nullptr) != 1) {
            return CKR_HOST_MEMORY;
        }
    }
    m_updated = true;
    return EVP_DigestUpdate(m_digest->ctx, data, length) == 1 ? CKR_OK : CKR_FUNCTION_FAILED;
}

CK_RV KeyOperation::prepare(const unsigned char* data, CK_ULONG length, token::Bytes& input) {
    if (m_kind == Kind::Decrypt) {
        if (length != m_key->modulusBytes) {
            return CKR_ENCRYPTED_DATA_LEN_RANGE;
        }
        input.assign(data, data + length);
        m_card = &m_mechanism;
        return CKR_OK;
    }
    if (m_mechanism.hashLength > 0) {
        if (data && update(data, length) != CKR_OK) {
            return CKR_FUNCTION_FAILED;
        }
        if (!m_digest && update(nullptr, 0) != CKR_OK) {
            return CKR_FUNCTION_FAILED; // an empty message
        }
        unsigned char hash[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        if (EVP_DigestFinal_ex(m_digest->ctx, hash, &n) != 1) {
            return CKR_FUNCTION_FAILED;
        }
        input.clear();
        if (m_key->signs == KeyUse::Signs::ByDigestInfo) {
            input = m_mechanism.prefix;
        }
        input.insert(input.end(), hash, hash + n);
        m_card = &m_mechanism;
        return CKR_OK;
    }
    const token::Bytes given(data, data + length);
    if (m_key->signs == KeyUse::Signs::ByHash) {
        // The card builds the DigestInfo itself: it is told the hash.
        m_card = m_key->byDigestInfo(given);
        if (!m_card) {
            return CKR_DATA_INVALID;
        }
        input.assign(given.begin() + static_cast<std::ptrdiff_t>(m_card->prefix.size()),
                     given.end());
        return CKR_OK;
    }
    if (length == 0 || length + 11 > m_key->modulusBytes) {
        return CKR_DATA_LEN_RANGE; // PKCS #1 v1.5 needs 11 bytes of padding
    }
    input = given;
    m_card = &m_mechanism;
    return CKR_OK;
}

CK_RV KeyOperation::sign(ias::CIASCard& card, const token::Bytes& input, token::Bytes& signature,
                         unsigned short& sw) const {
    const bool byHash = m_key->signs == KeyUse::Signs::ByHash;
    sw = SetEnvironment(card, byHash ? 0xB6 : 0xA4, m_card->algRef, m_key->reference);
    if (sw != 0x9000) {
        return CKR_FUNCTION_FAILED;
    }
    if (byHash) {
        token::Bytes hash = {0x90, static_cast<unsigned char>(input.size())};
        hash.insert(hash.end(), input.begin(), input.end());
        token::Bytes ignored;
        sw = Send(card, 0x00, 0x2A, 0x90, 0xA0, hash, 0, ignored);
        if (sw == 0x9000) {
            sw = Send(card, 0x00, 0x2A, 0x9E, 0x9A, token::Bytes(), 256, signature);
        }
    } else {
        sw = Send(card, 0x00, 0x88, 0x00, 0x00, input, 256, signature);
    }
    return sw == 0x9000 ? CKR_OK : CKR_FUNCTION_FAILED;
}

CK_RV KeyOperation::decipher(ias::CIASCard& card, const token::Bytes& cryptogram,
                             token::Bytes& plain, unsigned short& sw) const {
    sw = SetEnvironment(card, 0xB8, m_card->algRef, m_key->reference);
    if (sw != 0x9000) {
        return CKR_FUNCTION_FAILED;
    }
    token::Bytes data = {0x81}; // padding indicator: PKCS #1 v1.5
    data.insert(data.end(), cryptogram.begin(), cryptogram.end());
    // Short APDUs carry at most 255 bytes: the last piece asks for the answer.
    constexpr std::size_t kPiece = 255;
    for (std::size_t at = 0; at < data.size(); at += kPiece) {
        const bool last = at + kPiece >= data.size();
        const token::Bytes piece(data.begin() + static_cast<std::ptrdiff_t>(at),
                                 last ? data.end()
                                      : data.begin() + static_cast<std::ptrdiff_t>(at + kPiece));
        sw = Send(card, last ? 0x00 : 0x10, 0x2A, 0x80, 0x86, piece, last ? 256 : 0, plain);
        if (sw != 0x9000) {
            return CKR_FUNCTION_FAILED;
        }
    }
    return CKR_OK;
}

} // namespace p11
