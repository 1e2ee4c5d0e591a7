#include "FakePcsc.h"

#include <algorithm>
#include <cstring>

FakePcsc g_fake;

void FakePcsc::Reset() {
    g_fake = FakePcsc();
}

namespace {
constexpr SCARDCONTEXT kContext = 0x1111;
constexpr SCARDHANDLE kHandle = 0x2222;
} // namespace

extern "C" {

LONG SCardEstablishContext(DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT context) {
    ++g_fake.establishCalls;
    if (g_fake.establish == SCARD_S_SUCCESS) {
        *context = kContext + g_fake.establishCalls;
    }
    return g_fake.establish;
}

LONG SCardReleaseContext(SCARDCONTEXT) {
    ++g_fake.releaseCalls;
    return SCARD_S_SUCCESS;
}

LONG SCardIsValidContext(SCARDCONTEXT) {
    return g_fake.isValid;
}

LONG SCardListReaders(SCARDCONTEXT, LPCSTR, LPSTR readers, LPDWORD length) {
    if (g_fake.listReaders != SCARD_S_SUCCESS) {
        return g_fake.listReaders;
    }
    const DWORD needed = static_cast<DWORD>(g_fake.readers.size() + 1);
    if (readers != nullptr) {
        if (*length < needed) {
            *length = needed;
            return SCARD_E_INSUFFICIENT_BUFFER;
        }
        std::memcpy(readers, g_fake.readers.c_str(), needed);
    }
    *length = needed;
    return SCARD_S_SUCCESS;
}

LONG SCardConnect(SCARDCONTEXT, LPCSTR, DWORD, DWORD, LPSCARDHANDLE card, LPDWORD protocol) {
    if (g_fake.connect == SCARD_S_SUCCESS) {
        *card = kHandle;
        *protocol = g_fake.protocol;
    }
    return g_fake.connect;
}

LONG SCardReconnect(SCARDHANDLE, DWORD, DWORD preferred, DWORD, LPDWORD protocol) {
    g_fake.reconnectPreferred = preferred;
    if (g_fake.reconnect == SCARD_S_SUCCESS) {
        *protocol = g_fake.protocol;
    }
    return g_fake.reconnect;
}

LONG SCardDisconnect(SCARDHANDLE, DWORD) {
    ++g_fake.disconnectCalls;
    return g_fake.disconnect;
}

LONG SCardBeginTransaction(SCARDHANDLE) {
    ++g_fake.beginCalls;
    return g_fake.begin;
}

LONG SCardEndTransaction(SCARDHANDLE, DWORD) {
    ++g_fake.endCalls;
    return g_fake.end;
}

LONG SCardStatus(SCARDHANDLE, LPSTR name, LPDWORD nameLength, LPDWORD state, LPDWORD protocol,
                 LPBYTE atr, LPDWORD atrLength) {
    if (g_fake.status == SCARD_S_SUCCESS) {
        *nameLength = static_cast<DWORD>(std::strlen("Fake Reader 0") + 1);
        std::memcpy(name, "Fake Reader 0", *nameLength);
        *state = g_fake.state;
        *protocol = g_fake.protocol;
        atr[0] = 0x3B;
        atr[1] = 0x00;
        *atrLength = 2;
    }
    return g_fake.status;
}

LONG SCardGetStatusChange(SCARDCONTEXT, DWORD, SCARD_READERSTATE* states, DWORD count) {
    for (DWORD i = 0; g_fake.eventState != 0 && i < count; ++i) {
        states[i].dwEventState = g_fake.eventState;
        states[i].cbAtr = static_cast<DWORD>(g_fake.eventAtr.size());
        std::memcpy(states[i].rgbAtr, g_fake.eventAtr.data(), g_fake.eventAtr.size());
    }
    return g_fake.statusChange;
}

LONG SCardControl(SCARDHANDLE, DWORD, LPCVOID, DWORD, LPVOID, DWORD, LPDWORD) {
    return SCARD_E_NO_SERVICE;
}

LONG SCardTransmit(SCARDHANDLE, const SCARD_IO_REQUEST*, LPCBYTE command, DWORD length,
                   SCARD_IO_REQUEST*, LPBYTE response, LPDWORD responseLength) {
    g_fake.sent.emplace_back(command, command + length);
    if (g_fake.transmit != SCARD_S_SUCCESS) {
        return g_fake.transmit;
    }
    const std::vector<unsigned char> answer =
        g_fake.respond ? g_fake.respond(g_fake.sent.back()) : g_fake.answer;
    const DWORD n = std::min<DWORD>(*responseLength, static_cast<DWORD>(answer.size()));
    std::memcpy(response, answer.data(), n);
    *responseLength = n;
    return SCARD_S_SUCCESS;
}

} // extern "C"
