#include "Zaz/AtrRecognition.h"

#include "Zaz/PCSCWrapperMicrosoft.h"
#include "Zaz/SysConfig.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace ZAZ {

namespace {

constexpr const char* kAtrFile = "atr.cnf";
constexpr std::size_t kMaxHexChars = 128;
// Card names are at most 127 characters; reference and mask at most 128 hex
// digits. Longer values are cut by the configuration layer.
constexpr std::size_t kValueCapacity = 256;

// Unvalidated like the original files expect: any character gives some
// value, and only the low 8 bits of a pair survive (modular arithmetic).
unsigned Nibble(char c) {
    const unsigned u = static_cast<unsigned>(std::toupper(static_cast<unsigned char>(c)));
    return u > 64 ? u - 55 : u - 48;
}

/// Handle of an open configuration, closed on every way out.
class CfgFile {
public:
    explicit CfgFile(const char* name) : m_handle(SYS_CfgOpen(name)) {}
    CfgFile(const CfgFile&) = delete;
    CfgFile& operator=(const CfgFile&) = delete;
    ~CfgFile() {
        if (m_handle != nullptr) {
            SYS_CfgClose(m_handle);
        }
    }
    SYS_CfgHandle* get() const { return m_handle; }

private:
    SYS_CfgHandle* m_handle;
};

/// One "atr.cnf" block, read from the current position on.
struct AtrBlock {
    std::string card;
    std::vector<unsigned char> reference;
    std::vector<unsigned char> mask;
};

enum class Find { First, Next };

/// Positions on the next block and reads it; false when the blocks run out or
/// a value cannot be read.
bool ReadBlock(SYS_CfgHandle* cfg, Find find, AtrBlock& block) {
    char value[kValueCapacity];
    std::size_t capacity = sizeof value;
    const int found = find == Find::First ? SYS_CfgFindFirst(cfg, "Card", value, &capacity)
                                          : SYS_CfgFindNext(cfg, "Card", value, &capacity);
    if (found != 0) {
        return false;
    }
    block.card.assign(value, std::strlen(value));
    capacity = sizeof value;
    if (SYS_CfgGetValue(cfg, "Atr", value, &capacity) != 0) {
        return false;
    }
    block.reference = AtrHexToBytes(value);
    capacity = sizeof value;
    if (SYS_CfgGetValue(cfg, "AtrMask", value, &capacity) != 0) {
        return false;
    }
    block.mask = AtrHexToBytes(value);
    return true;
}

/// Walks the blocks in file order and returns the first that matches; false
/// when "atr.cnf" cannot be opened.
using MatchRule = bool (*)(const unsigned char*, std::size_t, const std::vector<unsigned char>&,
                           const std::vector<unsigned char>&);

bool FindMatch(const unsigned char* atr, std::size_t atrLength, MatchRule matches, bool& matched,
               AtrBlock& block) {
    matched = false;
    CfgFile cfg(kAtrFile);
    if (cfg.get() == nullptr) {
        return false;
    }
    for (Find find = Find::First; ReadBlock(cfg.get(), find, block); find = Find::Next) {
        if (matches(atr, atrLength, block.reference, block.mask)) {
            matched = true;
            break;
        }
    }
    return true;
}

} // namespace

std::vector<unsigned char> AtrHexToBytes(const char* text) {
    std::vector<unsigned char> bytes;
    if (text == nullptr) {
        return bytes;
    }
    const std::size_t length = std::min(std::strlen(text), kMaxHexChars);
    for (std::size_t i = 0; i + 1 < length; i += 2) {
        bytes.push_back(
            static_cast<unsigned char>(((Nibble(text[i]) << 4) + Nibble(text[i + 1])) & 0xFFU));
    }
    return bytes;
}

bool AtrMatches(const unsigned char* atr, std::size_t atrLength,
                const std::vector<unsigned char>& reference,
                const std::vector<unsigned char>& mask) {
    const std::size_t n = mask.size();
    if (n == 0) {
        return true;
    }
    if (atr == nullptr || atrLength < n || reference.size() < n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if ((atr[i] & mask[i]) != reference[i]) {
            return false;
        }
    }
    return true;
}

bool AtrLocates(const unsigned char* atr, std::size_t atrLength,
                const std::vector<unsigned char>& reference,
                const std::vector<unsigned char>& mask) {
    if (atr == nullptr) {
        return atrLength == 0;
    }
    for (std::size_t i = 0; i < atrLength; ++i) {
        const unsigned char m = i < mask.size() ? mask[i] : 0;
        const unsigned char r = i < reference.size() ? reference[i] : 0;
        if ((atr[i] & m) != r) {
            return false;
        }
    }
    return true;
}

} // namespace ZAZ

LONG SYS_ListCardsByAtr(SCARDCONTEXT /*context*/, const unsigned char* atr, std::size_t atrLength,
                        std::vector<char>& names) {
    names.assign(1, '\0');
    bool matched = false;
    ZAZ::AtrBlock block;
    if (!ZAZ::FindMatch(atr, atrLength, ZAZ::AtrMatches, matched, block)) {
        return static_cast<LONG>(SCARD_F_INTERNAL_ERROR);
    }
    if (matched) {
        names.assign(block.card.begin(), block.card.end());
        names.push_back('\0');
        names.push_back('\0');
    }
    return SCARD_S_SUCCESS;
}

LONG SYS_LocateCardsByAtr(SCARDCONTEXT context, const char* /*cardNames*/,
                          SCARD_READERSTATE* state) {
    if (state == nullptr) {
        return static_cast<LONG>(SCARD_E_INVALID_PARAMETER);
    }
    const LONG rv = ZAZ::PCSCWrapperMicrosoft::ReadReaderStates(context, 1, state, 1);
    if (rv != SCARD_S_SUCCESS) {
        return rv;
    }
    if (state->cbAtr == 0) {
        return SCARD_S_SUCCESS;
    }
    bool matched = false;
    ZAZ::AtrBlock block;
    const std::size_t atrLength = std::min<std::size_t>(state->cbAtr, sizeof state->rgbAtr);
    if (!ZAZ::FindMatch(state->rgbAtr, atrLength, ZAZ::AtrLocates, matched, block)) {
        return static_cast<LONG>(SCARD_F_INTERNAL_ERROR);
    }
    if (matched) {
        state->dwEventState |= SCARD_STATE_ATRMATCH;
    }
    return SCARD_S_SUCCESS;
}
