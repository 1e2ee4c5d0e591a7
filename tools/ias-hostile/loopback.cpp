#include "loopback.h"

#include <winscard.h>

#include <cstring>
#include <random>

namespace {

vcard::HostileCard* g_card = nullptr;
std::minstd_rand g_daemon;
// As pcscd does, a handle that met a reset hears of it again from every call
// until it reconnects.
bool g_resetPending = false;
constexpr SCARDCONTEXT kContext = 0x4C42;
constexpr SCARDHANDLE kHandle = 0x4C43;

DWORD protocolOf() {
    return g_card->protocol() == 1 ? SCARD_PROTOCOL_T1 : SCARD_PROTOCOL_T0;
}

void copyAtr(unsigned char* out, DWORD* length) {
    const vcard::Bytes& atr = g_card->atr();
    std::memcpy(out, atr.data(), atr.size());
    *length = static_cast<DWORD>(atr.size());
}

} // namespace

namespace hostile {

void insertCard(vcard::HostileCard* card, std::uint32_t seed) {
    g_card = card;
    g_resetPending = false;
    g_daemon.seed(seed);
}

} // namespace hostile

extern "C" {

LONG SCardEstablishContext(DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT context) {
    *context = kContext;
    return SCARD_S_SUCCESS;
}

LONG SCardReleaseContext(SCARDCONTEXT) {
    return SCARD_S_SUCCESS;
}

LONG SCardIsValidContext(SCARDCONTEXT context) {
    return context == kContext ? SCARD_S_SUCCESS : SCARD_E_INVALID_HANDLE;
}

LONG SCardListReaders(SCARDCONTEXT, LPCSTR, LPSTR readers, LPDWORD length) {
    const DWORD needed = static_cast<DWORD>(std::strlen(hostile::kLoopbackReader) + 2);
    if (readers != nullptr) {
        if (*length < needed) {
            *length = needed;
            return SCARD_E_INSUFFICIENT_BUFFER;
        }
        std::memcpy(readers, hostile::kLoopbackReader, needed - 1);
        readers[needed - 1] = '\0';
    }
    *length = needed;
    return SCARD_S_SUCCESS;
}

LONG SCardConnect(SCARDCONTEXT, LPCSTR reader, DWORD, DWORD, LPSCARDHANDLE card, LPDWORD protocol) {
    if (reader == nullptr || std::strcmp(reader, hostile::kLoopbackReader) != 0) {
        return SCARD_E_UNKNOWN_READER;
    }
    if (g_card == nullptr) {
        return SCARD_E_NO_SMARTCARD;
    }
    *card = kHandle;
    *protocol = protocolOf();
    return SCARD_S_SUCCESS;
}

LONG SCardReconnect(SCARDHANDLE, DWORD, DWORD, DWORD, LPDWORD protocol) {
    if (g_card == nullptr) {
        return SCARD_W_REMOVED_CARD;
    }
    g_card->reset();
    g_resetPending = false;
    *protocol = protocolOf();
    return SCARD_S_SUCCESS;
}

LONG SCardDisconnect(SCARDHANDLE, DWORD) {
    return SCARD_S_SUCCESS;
}

LONG SCardBeginTransaction(SCARDHANDLE) {
    return g_resetPending ? SCARD_W_RESET_CARD : SCARD_S_SUCCESS;
}

LONG SCardEndTransaction(SCARDHANDLE, DWORD) {
    return g_resetPending ? SCARD_W_RESET_CARD : SCARD_S_SUCCESS;
}

LONG SCardStatus(SCARDHANDLE, LPSTR name, LPDWORD nameLength, LPDWORD state, LPDWORD protocol,
                 LPBYTE atr, LPDWORD atrLength) {
    if (g_card == nullptr) {
        return SCARD_W_REMOVED_CARD;
    }
    if (g_resetPending) {
        return SCARD_W_RESET_CARD;
    }
    const DWORD n = static_cast<DWORD>(std::strlen(hostile::kLoopbackReader) + 1);
    if (*nameLength < n || *atrLength < g_card->atr().size()) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    std::memcpy(name, hostile::kLoopbackReader, n);
    *nameLength = n;
    *state = SCARD_PRESENT | SCARD_POWERED | SCARD_NEGOTIABLE;
    *protocol = protocolOf();
    copyAtr(atr, atrLength);
    return SCARD_S_SUCCESS;
}

LONG SCardGetStatusChange(SCARDCONTEXT, DWORD, SCARD_READERSTATE* states, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        SCARD_READERSTATE& s = states[i];
        const bool ours =
            s.szReader != nullptr && std::strcmp(s.szReader, hostile::kLoopbackReader) == 0;
        s.dwEventState = !ours ? SCARD_STATE_UNKNOWN
                               : (g_card != nullptr ? SCARD_STATE_PRESENT : SCARD_STATE_EMPTY);
        s.cbAtr = 0;
        if (ours && g_card != nullptr) {
            copyAtr(s.rgbAtr, &s.cbAtr);
        }
    }
    return SCARD_S_SUCCESS;
}

LONG SCardControl(SCARDHANDLE, DWORD, LPCVOID, DWORD, LPVOID, DWORD, LPDWORD) {
    return SCARD_E_UNSUPPORTED_FEATURE;
}

LONG SCardTransmit(SCARDHANDLE, const SCARD_IO_REQUEST*, LPCBYTE command, DWORD length,
                   SCARD_IO_REQUEST*, LPBYTE response, LPDWORD responseLength) {
    if (g_card == nullptr) {
        return SCARD_W_REMOVED_CARD;
    }
    if (g_resetPending) {
        return SCARD_W_RESET_CARD;
    }
    // Another application resets the card, but never in a GET RESPONSE loop,
    // where it would hide a loop that does not end.
    if (length > 1 && command[1] != 0xC0 && g_daemon() % 64 == 0) {
        g_card->reset();
        g_resetPending = true;
        return SCARD_W_RESET_CARD;
    }
    const vcard::Bytes answer = g_card->process(vcard::Bytes(command, command + length));
    if (answer.size() > *responseLength) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    if (!answer.empty()) {
        std::memcpy(response, answer.data(), answer.size());
    }
    *responseLength = static_cast<DWORD>(answer.size());
    return SCARD_S_SUCCESS;
}

} // extern "C"
