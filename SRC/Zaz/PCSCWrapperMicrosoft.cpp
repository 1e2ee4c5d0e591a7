#include "Zaz/PCSCWrapperMicrosoft.h"

#include "Zaz/AtrRecognition.h"
#include "Zaz/Cast.h"
#include "Zaz/PCSCException.h"
#include "Zaz/PCSCResetException.h"
#include "Zaz/PCSCWrapperMicrosoftRegulator.h"
#include "Zaz/SCardCommException.h"
#include "Zaz/TracePoint.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace ZAZ {

namespace {

constexpr const char* kUnit = "PCSCWrapperMicrosoft";
constexpr unsigned long kOrigin = 1;
// Buffers offered to PC/SC.
constexpr DWORD kReaderNameCapacity = 75;
constexpr DWORD kAtrCapacity = 33;
constexpr DWORD kReaderListCapacity = 2048;
constexpr DWORD kOverwriteResponseCapacity = 256;

const SCARD_IO_REQUEST kPciT0 = {SCARD_PROTOCOL_T0, sizeof(SCARD_IO_REQUEST)};
const SCARD_IO_REQUEST kPciT1 = {SCARD_PROTOCOL_T1, sizeof(SCARD_IO_REQUEST)};

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

unsigned Hex32(long value) {
    return static_cast<unsigned>(static_cast<unsigned long>(value) & 0xFFFFFFFFUL);
}

template <class Make> void Debug(int line, const char* function, Make&& make) {
    Trace(SEV_DEBUG, LVL_DEBUG, kUnit, line, function, [&] { return make() + "\n"; });
}

template <class Make> void Info(int line, const char* function, Make&& make) {
    Trace(SEV_INFO, LVL_INFO, kUnit, line, function, [&] { return make() + "\n"; });
}

bool IsPinCommand(const ByteVector& command) {
    if (command.size() <= 6) {
        return false;
    }
    const unsigned char ins = command[1];
    return ins == 0x20 || ins == 0x24 || ins == 0x2C;
}

/// The command as traced: PIN-carrying commands show their header only.
std::string CommandText(const ByteVector& command) {
    if (IsPinCommand(command)) {
        return command.substr(0, 4).toString() + "XX ...";
    }
    return command.toString();
}

std::string Elapsed(std::chrono::steady_clock::time_point start) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    return std::to_string(ms) + " ms, " + std::to_string(ms / 1000) + " s";
}

std::string StateNames(DWORD state) {
    static const struct {
        DWORD bit;
        const char* name;
    } kBits[] = {
        {0x1, "SCARD_STATE_IGNORE"},      {0x2, "SCARD_STATE_CHANGED"},
        {0x4, "SCARD_STATE_UNKNOWN"},     {0x8, "SCARD_STATE_UNAVAILABLE"},
        {0x10, "SCARD_STATE_EMPTY"},      {0x20, "SCARD_STATE_PRESENT"},
        {0x40, "SCARD_STATE_ATRMATCH"},   {0x80, "SCARD_STATE_EXCLUSIVE"},
        {0x100, "SCARD_STATE_INUSE"},     {0x200, "SCARD_STATE_MUTE"},
        {0x400, "SCARD_STATE_UNPOWERED"}, {0x800, "SCARD_STATE_NEWREADER"},
        {0x1000, "SCARD_STATE_RESET"},
    };
    std::string names;
    for (const auto& b : kBits) {
        if ((state & b.bit) != 0) {
            names += b.name;
            names += " | ";
        }
    }
    return names;
}

ByteVector AtrOf(const SCARD_READERSTATE& record) {
    const DWORD length = record.cbAtr < sizeof record.rgbAtr ? record.cbAtr : sizeof record.rgbAtr;
    return ByteVector(record.rgbAtr, static_cast<std::int32_t>(length));
}

std::int32_t ToLength(DWORD length) {
    return Cast<std::int32_t>(length);
}

} // namespace

PCSCWrapperMicrosoft::~PCSCWrapperMicrosoft() {
    Detach(true);
}

void PCSCWrapperMicrosoft::ThrowOnError(LONG result) {
    if (result == SCARD_S_SUCCESS) {
        return;
    }
    const unsigned long code = Hex32(result);
    switch (code) {
    case SCARD_W_UNPOWERED_CARD:
    case SCARD_W_RESET_CARD:
    case SCARD_E_NO_SERVICE:
    case SCARD_E_SERVICE_STOPPED:
        throw PCSCResetException(kOrigin, code, "PCSCResetException");
    default:
        throw PCSCException(kOrigin, code, "PCSCException");
    }
}

LONG PCSCWrapperMicrosoft::EstablishContext(SCARDCONTEXT* context) noexcept {
    return SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, context);
}

LONG PCSCWrapperMicrosoft::ReleaseContext(SCARDCONTEXT context) noexcept {
    return SCardReleaseContext(context);
}

LONG PCSCWrapperMicrosoft::ListReaderNames(SCARDCONTEXT context, char* readers,
                                           DWORD* length) noexcept {
    return SCardListReaders(context, nullptr, readers, length);
}

LONG PCSCWrapperMicrosoft::ReadReaderStates(SCARDCONTEXT context, DWORD timeoutMs,
                                            SCARD_READERSTATE* states, DWORD count) noexcept {
    return SCardGetStatusChange(context, timeoutMs, states, count);
}

void PCSCWrapperMicrosoft::BindGuard() const {
    if (m_context != 0 || m_cardHandle != 0) {
        throw PCSCException(kOrigin, kAlreadyBound, "PCSCException");
    }
}

void PCSCWrapperMicrosoft::EnsureContext() {
    if (m_context != 0) {
        if (SCardIsValidContext(m_context) == SCARD_S_SUCCESS) {
            return;
        }
        // A daemon restart invalidates contexts; a fresh one replaces it silently.
        m_context = 0;
    } else if (!PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(500, true)) {
        throw PCSCResetException(kOrigin, SCARD_E_SERVICE_STOPPED, "PCSCResetException");
    }
    SCARDCONTEXT context = 0;
    ThrowOnError(EstablishContext(&context));
    m_context = context;
}

unsigned long PCSCWrapperMicrosoft::ConnectHere(const std::string& readerName, DWORD shareMode,
                                                DWORD preferredProtocols) {
    SCARDHANDLE handle = 0;
    DWORD protocol = 0;
    ThrowOnError(SCardConnect(m_context, readerName.c_str(), shareMode, preferredProtocols, &handle,
                              &protocol));
    m_cardHandle = handle;
    m_activeProtocol = protocol;
    m_shareMode = shareMode;
    m_ownsHandle = true;
    return 0;
}

unsigned long PCSCWrapperMicrosoft::Connect(const std::string& readerName, DWORD shareMode,
                                            DWORD preferredProtocols) {
    BindGuard();
    EnsureContext();
    try {
        return ConnectHere(readerName, shareMode, preferredProtocols);
    } catch (...) {
        // A failed connect leaves the wrapper empty, so that it can be tried again.
        ReleaseContext(m_context);
        m_context = 0;
        throw;
    }
}

unsigned long PCSCWrapperMicrosoft::Connect(SCARDCONTEXT context, const std::string& readerName,
                                            DWORD shareMode, DWORD preferredProtocols) {
    BindGuard();
    m_context = context;
    try {
        return ConnectHere(readerName, shareMode, preferredProtocols);
    } catch (...) {
        m_context = 0; // still the caller's
        throw;
    }
}

unsigned long PCSCWrapperMicrosoft::Attach(SCARDHANDLE cardHandle, bool ownsHandle) {
    BindGuard();
    m_cardHandle = cardHandle;
    m_ownsHandle = ownsHandle;
    ReaderStatus scratch;
    try {
        Status(scratch);
    } catch (...) {
        m_cardHandle = 0;
        m_ownsHandle = true;
        throw;
    }
    m_activeProtocol = scratch.protocol;
    m_shareMode = SCARD_SHARE_SHARED;
    return 0;
}

unsigned long PCSCWrapperMicrosoft::Attach(SCARDHANDLE cardHandle, SCARDCONTEXT context,
                                           DWORD shareMode, DWORD activeProtocol, bool ownsHandle) {
    BindGuard();
    m_cardHandle = cardHandle;
    m_context = context;
    m_shareMode = shareMode;
    m_activeProtocol = activeProtocol;
    m_ownsHandle = ownsHandle;
    return 0;
}

unsigned long PCSCWrapperMicrosoft::Detach(bool release) noexcept {
    m_shareMode = 0;
    m_activeProtocol = 0;
    if (release && m_cardHandle != 0 && m_ownsHandle) {
        Debug(__LINE__, "Detach", [] { return std::string("Disconnecting from card..."); });
        const LONG rv = SCardDisconnect(m_cardHandle, SCARD_LEAVE_CARD);
        Debug(__LINE__, "Detach",
              [rv] { return Format("Card disconnected: PC/SC returned:0x%.8X", Hex32(rv)); });
    }
    if (release && m_context != 0) {
        Debug(__LINE__, "Detach", [] { return std::string("Releasing PC/SC Context..."); });
        const LONG rv = ReleaseContext(m_context);
        Debug(__LINE__, "Detach",
              [rv] { return Format("PC/SC context released: PC/SC returned:0x%.8X", Hex32(rv)); });
    }
    m_cardHandle = 0;
    m_context = 0;
    return 0;
}

void PCSCWrapperMicrosoft::SendPinOverwrite(unsigned char lc) noexcept {
    try {
        // Same length as the PIN command, so the reader's buffers that held
        // the PIN are overwritten with zeros.
        ByteVector select(1024);
        const unsigned char header[] = {0x00, 0xA4, 0x02, 0x00, lc};
        select.append(header, sizeof header);
        select.resize(select.size() + lc, 0);
        if (m_activeProtocol == SCARD_PROTOCOL_T1) {
            select.appendByte(0x00);
        }
        unsigned char response[kOverwriteResponseCapacity];
        DWORD received = sizeof response;
        SCardTransmit(m_cardHandle, m_activeProtocol == SCARD_PROTOCOL_T0 ? &kPciT0 : &kPciT1,
                      select.data(), static_cast<DWORD>(select.size()), nullptr, response,
                      &received);
        std::memset(response, 0, sizeof response);
    } catch (...) {
        // Best effort: the outcome of the PIN command stands either way.
    }
}

unsigned long PCSCWrapperMicrosoft::Transmit(const ByteVector& command, ByteVector& response,
                                             std::int32_t maxLength) {
    if (maxLength < 0) {
        maxLength = 0;
    }
    response.resize(maxLength, 0);
    Info(__LINE__, "Transmit",
         [&] { return "\t\tApdu                         -> " + CommandText(command); });
    const auto start = std::chrono::steady_clock::now();
    DWORD received = static_cast<DWORD>(maxLength);
    const LONG rv = SCardTransmit(
        m_cardHandle, m_activeProtocol == SCARD_PROTOCOL_T0 ? &kPciT0 : &kPciT1, command.data(),
        static_cast<DWORD>(command.size()), nullptr, response.data(), &received);
    // Not after secure messaging, nor between the pieces of a chain, which
    // the SELECT would end: it follows the last piece, as long as the longest.
    if (IsPinCommand(command) && (command[0] & 0x0C) == 0) {
        const unsigned char lc = std::max(m_pinChainLc, command[4]);
        if ((command[0] & 0x10) != 0) {
            m_pinChainLc = lc;
        } else {
            m_pinChainLc = 0;
            SendPinOverwrite(lc);
        }
    }
    if (rv == SCARD_S_SUCCESS) {
        response.resize(received < static_cast<DWORD>(maxLength) ? ToLength(received) : maxLength);
        Info(__LINE__, "Transmit",
             [&] { return "\t\tApdu (" + Elapsed(start) + ") <- " + response.toString(); });
        return 0;
    }
    ThrowOnError(rv);
    return 0;
}

unsigned long PCSCWrapperMicrosoft::Control(DWORD controlCode, const ByteVector& input,
                                            ByteVector& output, std::int32_t maxLength) {
    if (maxLength < 0) {
        maxLength = 0;
    }
    output.resize(maxLength, 0);
    Debug(__LINE__, "Control", [&] { return "\t\tReader            -> " + input.toString(); });
    const auto start = std::chrono::steady_clock::now();
    DWORD returned = 0;
    ThrowOnError(SCardControl(m_cardHandle, controlCode, input.data(),
                              static_cast<DWORD>(input.size()), output.data(),
                              static_cast<DWORD>(maxLength), &returned));
    output.resize(returned < static_cast<DWORD>(maxLength) ? ToLength(returned) : maxLength);
    Debug(__LINE__, "Control",
          [&] { return "\t\tReader (" + Elapsed(start) + ") <- " + output.toString(); });
    return 0;
}

unsigned long PCSCWrapperMicrosoft::BeginTransaction() {
    Debug(__LINE__, "BeginTransaction",
          [this] { return Format("m_scardhandle = 0x%.8X", Hex32(m_cardHandle)); });
    const LONG rv = SCardBeginTransaction(m_cardHandle);
    Debug(__LINE__, "BeginTransaction",
          [rv] { return Format("SCardBeginTransaction returned 0x%.8X", Hex32(rv)); });
    ThrowOnError(rv);
    Debug(__LINE__, "BeginTransaction", [] { return std::string("Done"); });
    return 0;
}

unsigned long PCSCWrapperMicrosoft::EndTransaction() {
    Debug(__LINE__, "EndTransaction",
          [this] { return Format("m_scardhandle = 0x%.8X", Hex32(m_cardHandle)); });
    const LONG rv = SCardEndTransaction(m_cardHandle, SCARD_LEAVE_CARD);
    Debug(__LINE__, "EndTransaction",
          [rv] { return Format("SCardEndTransaction returned 0x%.8X", Hex32(rv)); });
    ThrowOnError(rv);
    Debug(__LINE__, "EndTransaction", [] { return std::string("Done"); });
    return 0;
}

unsigned long PCSCWrapperMicrosoft::ReconnectWith(DWORD disposition, const char* function) {
    Debug(__LINE__, function,
          [this] { return Format("m_scardhandle = 0x%.8X", Hex32(m_cardHandle)); });
    // pcscd writes back no protocol when another client was resetting the
    // card at that moment; PC/SC refuses none as the preferred protocols, so
    // such a handle asks for T=0 or T=1 again instead of failing for good.
    const DWORD preferred =
        m_activeProtocol != 0 ? m_activeProtocol : SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1;
    DWORD protocol = m_activeProtocol;
    const LONG rv = SCardReconnect(m_cardHandle, m_shareMode, preferred, disposition, &protocol);
    Debug(__LINE__, function, [rv] { return Format("SCardReconnect returned 0x%.8X", Hex32(rv)); });
    ThrowOnError(rv);
    m_activeProtocol = protocol;
    Debug(__LINE__, function, [] { return std::string("Done"); });
    return 0;
}

unsigned long PCSCWrapperMicrosoft::WarmReset() {
    return ReconnectWith(SCARD_RESET_CARD, "WarmReset");
}

unsigned long PCSCWrapperMicrosoft::ColdReset() {
    return ReconnectWith(SCARD_UNPOWER_CARD, "ColdReset");
}

unsigned long PCSCWrapperMicrosoft::Reconnect() {
    return ReconnectWith(SCARD_LEAVE_CARD, "Reconnect");
}

unsigned long PCSCWrapperMicrosoft::Status(ReaderStatus& status) {
    status.atr.resize(kAtrCapacity, 0);
    char name[kReaderNameCapacity] = {};
    DWORD nameLength = kReaderNameCapacity;
    DWORD state = 0;
    DWORD protocol = 0;
    DWORD atrLength = kAtrCapacity;
    Debug(__LINE__, "Status",
          [this] { return Format("m_scardhandle = 0x%.8X", Hex32(m_cardHandle)); });
    const LONG rv = SCardStatus(m_cardHandle, name, &nameLength, &state, &protocol,
                                status.atr.data(), &atrLength);
    Debug(__LINE__, "Status", [rv] { return Format("SCardStatus returned 0x%.8X", Hex32(rv)); });
    ThrowOnError(rv);
    if (m_activeProtocol == 0) {
        m_activeProtocol = protocol; // none since a reconnect: the card's own
    }
    status.readerName.assign(name, strnlen(name, sizeof name));
    status.state = static_cast<std::uint32_t>(state);
    status.protocol = static_cast<std::uint32_t>(protocol);
    status.atr.resize(atrLength < kAtrCapacity ? ToLength(atrLength) : ToLength(kAtrCapacity));
    Debug(__LINE__, "Status", [&] { return "Reader = " + status.readerName; });
    Debug(__LINE__, "Status", [] { return std::string("Done"); });
    return 0;
}

unsigned long PCSCWrapperMicrosoft::ListReaders(PackedStringList& readers) {
    EnsureContext();
    readers.clear();
    std::vector<char> buffer(kReaderListCapacity, '\0');
    DWORD length = kReaderListCapacity;
    const LONG rv = ListReaderNames(m_context, buffer.data(), &length);
    if (Hex32(rv) == SCARD_E_NO_READERS_AVAILABLE) {
        return 0;
    }
    if (rv != SCARD_S_SUCCESS) {
        // Not the reset class: listing is no card operation to recover.
        throw PCSCException(kOrigin, Hex32(rv), "PCSCException");
    }
    const std::size_t end = length < kReaderListCapacity ? length : kReaderListCapacity;
    for (std::size_t pos = 0; pos < end && buffer[pos] != '\0';) {
        const std::size_t n = strnlen(buffer.data() + pos, end - pos);
        readers.append(std::string(buffer.data() + pos, n));
        pos += n + 1;
    }
    return 0;
}

unsigned long PCSCWrapperMicrosoft::LocateCards(ReaderStatus& status,
                                                const std::string& cardNames) {
    Debug(__LINE__, "LocateCards",
          [&] { return "Trying to Locate cards in reader:'" + status.readerName + "'"; });
    EnsureContext();
    SCARD_READERSTATE record{};
    record.szReader = status.readerName.c_str();
    record.dwCurrentState = SCARD_STATE_UNAWARE;
    Debug(__LINE__, "LocateCards", [] { return std::string("Calling PC/SC'"); });
    ThrowOnError(SYS_LocateCardsByAtr(m_context, cardNames.c_str(), &record));
    status.protocol = static_cast<std::uint32_t>(m_activeProtocol);
    status.state = static_cast<std::uint32_t>(record.dwEventState);
    status.atr = AtrOf(record);
    Trace(SEV_WARNING, LVL_INFO, kUnit, __LINE__, "LocateCards", [&] {
        const DWORD seen = record.dwEventState & (SCARD_STATE_PRESENT | SCARD_STATE_ATRMATCH);
        if (seen == SCARD_STATE_PRESENT || seen == SCARD_STATE_ATRMATCH) {
            return Format("WARNING\tLocateCards:\tCard not recognized. PSCSStatus=0x%.8X\n",
                          status.state);
        }
        return "PC/SC call to SCardLocateCards returned:\n\t\tstrReader        = " +
               status.readerName + "\n\t\tdwActiveProtocol = " + std::to_string(status.protocol) +
               "\n\t\tdwState          = " + Format("(0x%.8X) ", status.state) +
               StateNames(status.state) + "\n\t\tbufAtr           = " + status.atr.toString() +
               "\n";
    });
    return 0;
}

unsigned long PCSCWrapperMicrosoft::GetReaderStatus(ReaderStatus& status) {
    EnsureContext();
    SCARD_READERSTATE record{};
    record.szReader = status.readerName.c_str();
    record.dwCurrentState = SCARD_STATE_UNAWARE;
    ThrowOnError(ReadReaderStates(m_context, 0, &record, 1));
    status.protocol = static_cast<std::uint32_t>(m_activeProtocol);
    status.state = static_cast<std::uint32_t>(record.dwEventState);
    status.atr = AtrOf(record);
    return 0;
}

bool PCSCWrapperMicrosoft::GetStatusChange(const std::vector<ReaderStatus>& in,
                                           std::vector<ReaderStatus>& out, DWORD timeoutMs) {
    EnsureContext();
    out.clear();
    std::vector<SCARD_READERSTATE> records(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        records[i].szReader = in[i].readerName.c_str();
        records[i].dwCurrentState = in[i].state;
        out.push_back(in[i]);
    }
    const LONG rv =
        ReadReaderStates(m_context, timeoutMs, records.data(), static_cast<DWORD>(records.size()));
    if (Hex32(rv) == SCARD_E_TIMEOUT) {
        return false;
    }
    if (rv != SCARD_S_SUCCESS) {
        throw SCardCommException(kOrigin, Hex32(rv), "PCSC error during SCardGetStatusChange");
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i].state = static_cast<std::uint32_t>(records[i].dwEventState);
        out[i].atr = AtrOf(records[i]);
        out[i].protocol = 0;
    }
    return true;
}

ReaderStatus PCSCWrapperMicrosoft::FindReaderStatus(const std::vector<ReaderStatus>& list,
                                                    const std::string& readerName) {
    for (const auto& entry : list) {
        if (entry.readerName == readerName) {
            return entry;
        }
    }
    ReaderStatus empty;
    empty.readerName = readerName;
    return empty;
}

bool PCSCWrapperMicrosoft::StoreReaderStatus(const ReaderStatus& status,
                                             std::vector<ReaderStatus>& list) {
    for (auto& entry : list) {
        if (entry.readerName == status.readerName) {
            entry.state = status.state;
            entry.protocol = status.protocol;
            entry.atr = status.atr;
            return true;
        }
    }
    list.push_back(status);
    return false;
}

std::string PCSCWrapperMicrosoft::GetSmartCardName() {
    ReaderStatus status;
    Status(status);
    std::vector<char> names;
    const LONG rv = SYS_ListCardsByAtr(m_context, status.atr.data(),
                                       static_cast<std::size_t>(status.atr.size()), names);
    const std::string text(names.data(), strnlen(names.data(), names.size()));
    Debug(__LINE__, "GetSmartCardName", [&] {
        return "\t\tCall SCardListCards on Reader: '" + status.readerName +
               "' returned: " + Format("0x%.8X", Hex32(rv));
    });
    // Without "atr.cnf" no name buffer came back: no name line.
    if (rv == SCARD_S_SUCCESS) {
        Debug(__LINE__, "GetSmartCardName", [&] {
            return "\t\tCard name in reader: '" + status.readerName + "' is: '" + text + "'";
        });
    }
    std::string result;
    if (rv == SCARD_S_SUCCESS) {
        Debug(__LINE__, "GetSmartCardName", [&] { return "1" + text; });
        result += text;
        Debug(__LINE__, "GetSmartCardName", [] { return std::string("2"); });
    } else {
        Debug(__LINE__, "GetSmartCardName", [] { return std::string("3"); });
    }
    return result;
}

unsigned long PCSCWrapperMicrosoft::GetReaderStatusChange(std::vector<ReaderStatus>& states,
                                                          DWORD timeoutMs) {
    SCARDCONTEXT context = 0;
    ThrowOnError(EstablishContext(&context));
    struct Release {
        SCARDCONTEXT context;
        ~Release() { ReleaseContext(context); }
    } release{context};

    std::vector<SCARD_READERSTATE> records(states.size());
    for (std::size_t i = 0; i < states.size(); ++i) {
        records[i].szReader = states[i].readerName.c_str();
        records[i].dwCurrentState = states[i].state;
    }
    ThrowOnError(
        ReadReaderStates(context, timeoutMs, records.data(), static_cast<DWORD>(records.size())));
    for (std::size_t i = 0; i < states.size(); ++i) {
        const std::uint32_t previous = states[i].state;
        states[i].state = static_cast<std::uint32_t>(records[i].dwEventState);
        states[i].atr = AtrOf(records[i]);
        Debug(__LINE__, "GetReaderStatusChange", [&] {
            return "Reader num #" + std::to_string(i) + ":  " + states[i].readerName +
                   " old state:" + Format("0x%.8X", previous) +
                   "   new state:" + Format("0x%.8X", states[i].state);
        });
    }
    return 0;
}

} // namespace ZAZ
