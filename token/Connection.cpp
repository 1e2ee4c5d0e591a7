#include "token/Connection.h"

#include <winscard.h>

#include <cstdio>
#include <cstring>

namespace token {

namespace {

static_assert(sizeof(SCARDCONTEXT) <= sizeof(long) && sizeof(SCARDHANDLE) <= sizeof(long),
              "PC/SC contexts and handles are kept in a long");

std::string Describe(const std::string& what, unsigned long code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", code);
    return what + ": PC/SC error " + hex;
}

// The names pcscd lists, from the double-NUL-terminated buffer. A reader that
// arrives between the size query and the copy makes the buffer short: ask again.
std::vector<std::string> ListNames(SCARDCONTEXT context) {
    for (int attempt = 0;; ++attempt) {
        DWORD length = 0;
        LONG rv = SCardListReaders(context, nullptr, nullptr, &length);
        if (rv == static_cast<LONG>(SCARD_E_NO_READERS_AVAILABLE)) {
            return {};
        }
        if (rv != SCARD_S_SUCCESS) {
            throw PcscError(Describe("SCardListReaders", static_cast<unsigned long>(rv)),
                            static_cast<unsigned long>(rv));
        }
        std::vector<char> buffer(length + 2, '\0');
        rv = SCardListReaders(context, nullptr, buffer.data(), &length);
        if (rv == static_cast<LONG>(SCARD_E_NO_READERS_AVAILABLE)) {
            return {};
        }
        if (rv == static_cast<LONG>(SCARD_E_INSUFFICIENT_BUFFER) && attempt < 3) {
            continue;
        }
        if (rv != SCARD_S_SUCCESS) {
            throw PcscError(Describe("SCardListReaders", static_cast<unsigned long>(rv)),
                            static_cast<unsigned long>(rv));
        }
        std::vector<std::string> names;
        for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1) {
            names.emplace_back(p);
        }
        return names;
    }
}

} // namespace

PcscError::PcscError(const std::string& what, unsigned long code)
    : std::runtime_error(what), m_code(code) {}

Connection::Connection() {
    SCARDCONTEXT context = 0;
    const LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context);
    if (rv != SCARD_S_SUCCESS) {
        throw PcscError(Describe("SCardEstablishContext", static_cast<unsigned long>(rv)),
                        static_cast<unsigned long>(rv));
    }
    m_context = static_cast<long>(context);
}

Connection::~Connection() {
    SCardReleaseContext(static_cast<SCARDCONTEXT>(m_context));
}

std::vector<ReaderState> Connection::readers() {
    const SCARDCONTEXT context = static_cast<SCARDCONTEXT>(m_context);
    // A reader unplugged between the listing and the status query: list again.
    for (int attempt = 0;; ++attempt) {
        const std::vector<std::string> names = ListNames(context);
        if (names.empty()) {
            return {};
        }
        std::vector<SCARD_READERSTATE> states(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            states[i] = SCARD_READERSTATE{};
            states[i].szReader = names[i].c_str();
            states[i].dwCurrentState = SCARD_STATE_UNAWARE;
        }
        // Timeout 0 with UNAWARE: pcscd reports what it knows at once.
        const LONG rv =
            SCardGetStatusChange(context, 0, states.data(), static_cast<DWORD>(states.size()));
        if (rv == static_cast<LONG>(SCARD_E_UNKNOWN_READER) && attempt < 3) {
            continue;
        }
        if (rv != SCARD_S_SUCCESS && rv != static_cast<LONG>(SCARD_E_TIMEOUT)) {
            throw PcscError(Describe("SCardGetStatusChange", static_cast<unsigned long>(rv)),
                            static_cast<unsigned long>(rv));
        }
        std::vector<ReaderState> out;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const DWORD s = states[i].dwEventState;
            if (s & SCARD_STATE_UNKNOWN) {
                continue; // gone since the listing
            }
            ReaderState r;
            r.name = names[i];
            r.present = (s & SCARD_STATE_PRESENT) != 0;
            r.exclusive = (s & SCARD_STATE_EXCLUSIVE) != 0;
            r.mute = (s & SCARD_STATE_MUTE) != 0;
            r.events = (s >> 16) & 0xFFFF;
            if (r.present && !r.mute) {
                const DWORD n = states[i].cbAtr < sizeof states[i].rgbAtr
                                    ? states[i].cbAtr
                                    : static_cast<DWORD>(sizeof states[i].rgbAtr);
                r.atr.assign(states[i].rgbAtr, states[i].rgbAtr + n);
            }
            out.push_back(std::move(r));
        }
        return out;
    }
}

std::unique_ptr<ias::CIASCard> Connection::connect(const std::string& reader) {
    SCARDHANDLE handle = 0;
    DWORD protocol = 0;
    const LONG rv =
        SCardConnect(static_cast<SCARDCONTEXT>(m_context), reader.c_str(), SCARD_SHARE_SHARED,
                     SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &handle, &protocol);
    if (rv == static_cast<LONG>(SCARD_E_NO_SMARTCARD) ||
        rv == static_cast<LONG>(SCARD_W_REMOVED_CARD)) {
        return nullptr;
    }
    if (rv != SCARD_S_SUCCESS) {
        throw PcscError(Describe("SCardConnect '" + reader + "'", static_cast<unsigned long>(rv)),
                        static_cast<unsigned long>(rv));
    }
    try {
        return std::make_unique<ias::CIASCard>(static_cast<long>(handle));
    } catch (...) {
        // Not taken over: the handle is still ours to close.
        SCardDisconnect(handle, SCARD_LEAVE_CARD);
        throw;
    }
}

bool Connection::waitForChange(unsigned long milliseconds) {
    const auto context = static_cast<SCARDCONTEXT>(m_context);
    std::vector<std::string> names;
    try {
        names = ListNames(context);
    } catch (const PcscError&) {
        return false;
    }
    // Every reader as pcscd sees it now, and the pseudo reader that changes
    // when a reader comes or goes.
    names.push_back("\\\\?PnP?\\Notification");
    std::vector<SCARD_READERSTATE> states(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        states[i] = SCARD_READERSTATE{};
        states[i].szReader = names[i].c_str();
        states[i].dwCurrentState = SCARD_STATE_UNAWARE;
    }
    const auto count = static_cast<DWORD>(states.size());
    if (SCardGetStatusChange(context, 0, states.data(), count) != SCARD_S_SUCCESS) {
        return false;
    }
    for (SCARD_READERSTATE& st : states) {
        st.dwCurrentState = st.dwEventState & ~SCARD_STATE_CHANGED;
    }
    return SCardGetStatusChange(context, milliseconds, states.data(), count) == SCARD_S_SUCCESS;
}

void Connection::cancel() {
    SCardCancel(static_cast<SCARDCONTEXT>(m_context));
}

bool Connection::resetSince(ias::CIASCard& card) {
    char name[MAX_READERNAME];
    unsigned char atr[MAX_ATR_SIZE];
    DWORD nameLength = sizeof name, state = 0, protocol = 0, atrLength = sizeof atr;
    // pcscd repeats the warning to this handle until it reconnects.
    return SCardStatus(static_cast<SCARDHANDLE>(card.getPCSCHandle()), name, &nameLength, &state,
                       &protocol, atr, &atrLength) == static_cast<LONG>(SCARD_W_RESET_CARD);
}

} // namespace token
