// readers, apdu and the PIN commands: exchanges the tool builds itself.
#include "Tool.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace tool {

namespace {

// A PIN value in a fixed buffer: it never moves, so there is exactly one copy
// to overwrite, and it is overwritten before release on every path.
class Secret {
public:
    static constexpr std::size_t kMax = 64; ///< longer input is refused
    Secret() = default;
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    ~Secret() { wipe(); }
    /// False when full.
    bool push(char c) {
        if (m_size == kMax) {
            return false;
        }
        m_bytes[m_size++] = static_cast<unsigned char>(c);
        return true;
    }
    void pop() { m_bytes[--m_size] = 0; }
    void wipe() {
        OPENSSL_cleanse(m_bytes, sizeof m_bytes);
        m_size = 0;
    }
    std::size_t size() const { return m_size; }
    const unsigned char* data() const { return m_bytes; }
    unsigned char back() const { return m_bytes[m_size - 1]; }

private:
    unsigned char m_bytes[kMax] = {};
    std::size_t m_size = 0;
};

const Failure kTooLong{EXIT_USAGE, "PIN longer than 64 characters"};

// One line from `fd`, a byte per read(2) so that nothing after the line is
// taken from the descriptor (the second PIN on standard input). Stops at
// '\n' or end of input; a final '\r' is dropped. `stop` is polled after a
// read interrupted by a signal. Returns false when interrupted.
bool ReadLine(int fd, Secret& s, volatile std::sig_atomic_t* stop = nullptr) {
    bool full = false;
    for (;;) {
        if (stop && *stop) {
            return false;
        }
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            throw Failure{EXIT_USAGE,
                          std::string("reading the PIN failed: ") + std::strerror(errno)};
        }
        if (n == 0 || c == '\n') {
            break;
        }
        full = full || !s.push(c);
        c = 0;
    }
    if (full) {
        throw kTooLong;
    }
    if (s.size() && s.back() == '\r') {
        s.pop();
    }
    return true;
}

volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnSignal(int sig) {
    g_signal = sig;
}

// While the terminal's echo is off, the signals that end the program are
// caught (interrupting read(2), no SA_RESTART) so the terminal is restored
// before the signal is delivered again with its former disposition.
class SignalsCaught {
public:
    SignalsCaught() {
        g_signal = 0;
        struct sigaction a {};
        a.sa_handler = OnSignal;
        sigemptyset(&a.sa_mask);
        for (std::size_t i = 0; i < kCount; ++i) {
            sigaction(kSignals[i], nullptr, &m_saved[i]);
            if (m_saved[i].sa_handler != SIG_IGN) { // an ignored signal stays ignored
                sigaction(kSignals[i], &a, nullptr);
            }
        }
    }
    ~SignalsCaught() {
        for (std::size_t i = 0; i < kCount; ++i) {
            sigaction(kSignals[i], &m_saved[i], nullptr);
        }
    }
    SignalsCaught(const SignalsCaught&) = delete;
    SignalsCaught& operator=(const SignalsCaught&) = delete;

private:
    static constexpr std::size_t kCount = 4;
    static constexpr int kSignals[kCount] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
    struct sigaction m_saved[kCount] {};
};
constexpr int SignalsCaught::kSignals[];

// The terminal's settings with echo off, restored by the destructor.
class EchoOff {
public:
    explicit EchoOff(int fd) : m_fd(fd) {
        if (tcgetattr(fd, &m_saved) != 0) {
            throw Failure{EXIT_USAGE, "/dev/tty is not a terminal; use --pin-stdin or --pin-env"};
        }
        termios quiet = m_saved;
        quiet.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHOE | ECHOK | ECHONL));
        quiet.c_lflag |= ICANON;
        tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    ~EchoOff() { tcsetattr(m_fd, TCSAFLUSH, &m_saved); }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_fd;
    termios m_saved{};
};

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

void WriteAll(int fd, const char* text) {
    for (std::size_t left = std::strlen(text); left > 0;) {
        const ssize_t n = ::write(fd, text, left);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return; // the prompt is a courtesy: reading goes on
        }
        text += n;
        left -= static_cast<std::size_t>(n);
    }
}

// Prompts on the controlling terminal and reads a line with echo off.
void ReadTerminal(const char* prompt, Secret& s) {
    const Fd tty(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (tty.get() < 0) {
        throw Failure{EXIT_USAGE, "no terminal to read the PIN from; use --pin-stdin or --pin-env"};
    }
    int interrupted = 0;
    {
        const SignalsCaught signals;
        const EchoOff echoOff(tty.get());
        WriteAll(tty.get(), prompt);
        if (!ReadLine(tty.get(), s, &g_signal)) {
            interrupted = g_signal;
        }
        WriteAll(tty.get(), "\n"); // the Enter the terminal did not echo
    }
    if (interrupted) {
        s.wipe();
        std::raise(interrupted); // terminal and handlers restored: as if never caught
        throw Failure{EXIT_USAGE, "PIN entry interrupted"};
    }
}

// Copies the variable's value, then overwrites it where the environment holds
// it and removes the variable, so neither this process nor a child keeps it.
void ReadEnvironment(const std::string& name, Secret& s) {
    char* value = std::getenv(name.c_str());
    if (!value) {
        throw Failure{EXIT_USAGE, "environment variable " + name + " is not set"};
    }
    bool full = false;
    for (const char* p = value; *p; ++p) {
        full = full || !s.push(*p);
    }
    OPENSSL_cleanse(value, std::strlen(value));
    ::unsetenv(name.c_str());
    if (full) {
        throw kTooLong;
    }
}

// One secret from the source the options name: --pin-stdin (a line each),
// the environment variable `env`, or the terminal.
void ReadSecret(const PinOptions& p, const std::string& env, const char* prompt, Secret& s) {
    if (p.fromStdin) {
        ReadLine(STDIN_FILENO, s);
    } else if (!env.empty()) {
        ReadEnvironment(env, s);
    } else {
        ReadTerminal(prompt, s);
    }
    if (s.size() == 0) {
        const std::string what(prompt, std::strlen(prompt) - 2);
        throw Failure{EXIT_USAGE, "empty PIN (" + what + ")"};
    }
}

// Sends INS with P1, the PIN reference and the PIN, built in place in one blob
// that is cleared after the exchange (and wiped again by the blob on release).
void PinApdu(Session& s, const char* what, unsigned char ins, unsigned char p1, unsigned char ref,
             Secret& pin) {
    const unsigned int n = static_cast<unsigned int>(pin.size());
    ias::CBlob apdu(5 + n, '\0');
    apdu[1] = ins;
    apdu[2] = p1;
    apdu[3] = ref;
    apdu[4] = static_cast<unsigned char>(n);
    for (unsigned int i = 0; i < n; ++i) {
        apdu[5 + i] = pin.data()[i];
    }
    pin.wipe();
    ias::CBlob response;
    unsigned short sw = 0;
    try {
        sw = s.transmit(apdu, response);
    } catch (...) {
        for (unsigned int i = 0; i < apdu.size(); ++i) {
            apdu[i] = 0;
        }
        throw;
    }
    for (unsigned int i = 0; i < apdu.size(); ++i) {
        apdu[i] = 0;
    }
    if (sw != 0x9000) {
        throw Failed(
            std::string(what) + " of PIN " + RefText(ref),
            ias::CIASException(ias::CIASException::IAS_ERR_CARD_FRAMEWORK, 0, "IsoException", sw));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A reference in numeric form, else the AODF label lookup.
unsigned char Reference(Session& s, const std::string& text) {
    unsigned char ref = 0;
    return ParsePinReference(text, ref) ? ref : PinReference(s, text);
}

} // namespace

bool ParsePinReference(const std::string& text, unsigned char& reference) {
    const bool prefixed = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = prefixed ? text.substr(2) : text;
    if (digits.empty() ||
        std::any_of(digits.begin(), digits.end(), [](char c) { return HexDigit(c) < 0; })) {
        return false;
    }
    // Without the prefix, letters make a label unless the text is one byte's
    // two digits: "A1" is a reference, "CAFE" a label, "181" a reference.
    if (!prefixed && digits.size() > 2 &&
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    unsigned int value = 0;
    for (char c : digits) {
        value = value * 16 + static_cast<unsigned int>(HexDigit(c));
        if (value > 0xFF) {
            throw Failure{EXIT_USAGE, "PIN reference '" + text +
                                          "' does not fit in a byte (00 to FF, hexadecimal)"};
        }
    }
    reference = static_cast<unsigned char>(value);
    return true;
}

int ListReaders(Session& s) {
    Json d = Document("readers");
    d["readers"] = Json::array();
    const std::vector<token::ReaderState> states = s.readerStates();
    for (std::size_t i = 0; i < states.size(); ++i) {
        const token::ReaderState& r = states[i];
        Json j{{"index", i}, {"name", r.name}, {"card", r.present}};
        if (r.present) {
            ias::CBlob atr;
            if (!r.atr.empty()) {
                atr = ias::CBlob(static_cast<unsigned int>(r.atr.size()), '\0');
                for (unsigned int k = 0; k < atr.size(); ++k) {
                    atr[k] = r.atr[k];
                }
            }
            const std::string name = atr.size() ? CardName(atr) : "";
            j["atr"] = atr.size() ? Json(Hex(atr, "")) : Json();
            j["cardName"] = name.empty() ? Json() : Json(name);
        }
        d["readers"].push_back(j);
    }
    Print(d, s.options().json);
    return states.empty() ? EXIT_NO_CARD : EXIT_OK;
}

void VerifyPin(Session& s, const PinOptions& p) {
    const unsigned char ref = Reference(s, p.pin);
    Secret pin;
    ReadSecret(p, p.env, "PIN: ", pin);
    PinApdu(s, "VERIFY", 0x20, 0x00, ref, pin);
}

int PinCommand(Session& s, PinOp op, const PinOptions& p) {
    const unsigned char ref = Reference(s, p.pin);
    Secret first, second;
    if (op == PinOp::Unblock) {
        if (p.puk.empty()) {
            throw Failure{EXIT_USAGE, "unblock-pin needs --puk REF"};
        }
        const unsigned char puk = Reference(s, p.puk);
        ReadSecret(p, p.env, "PUK: ", first);
        ReadSecret(p, p.newEnv, "New PIN: ", second);
        PinApdu(s, "VERIFY", 0x20, 0x00, puk, first);
        PinApdu(s, "RESET RETRY COUNTER", 0x2C, 0x02, ref, second);
    } else if (op == PinOp::Change) {
        ReadSecret(p, p.env, "Current PIN: ", first);
        ReadSecret(p, p.newEnv, "New PIN: ", second);
        PinApdu(s, "VERIFY", 0x20, 0x00, ref, first);
        PinApdu(s, "CHANGE REFERENCE DATA", 0x24, 0x01, ref, second);
    } else {
        ReadSecret(p, p.env, "PIN: ", first);
        PinApdu(s, "VERIFY", 0x20, 0x00, ref, first);
    }
    Json d = Document(op == PinOp::Verify   ? "verify-pin"
                      : op == PinOp::Change ? "change-pin"
                                            : "unblock-pin");
    d["reader"] = s.readerName();
    // A number in JSON, "129 (0x81)" in text, as references are everywhere.
    d["pin"] = s.options().json ? Json(ref) : Json(RefText(ref));
    d["result"] = op == PinOp::Verify ? "verified" : op == PinOp::Change ? "changed" : "unblocked";
    Print(d, s.options().json);
    return EXIT_OK;
}

int Apdu(Session& s, const std::vector<std::string>& hex) {
    Json d = Document("apdu");
    s.card();
    d["reader"] = s.readerName();
    d["exchanges"] = Json::array();
    // The argument is named by its position: it may hold a PIN (VERIFY).
    for (std::size_t i = 0; i < hex.size(); ++i) {
        const std::string& h = hex[i];
        const std::string which = "APDU argument " + std::to_string(i + 1);
        ias::CBlob command;
        try {
            command = ias::_HB(h);
        } catch (const ias::CIASException&) {
            throw Failure{EXIT_USAGE, which + " is not hexadecimal"};
        }
        if (h.find_first_not_of("0123456789abcdefABCDEF \t") != std::string::npos ||
            command.size() * 2 !=
                h.size() - static_cast<std::size_t>(std::count_if(h.begin(), h.end(), ::isspace))) {
            throw Failure{EXIT_USAGE, which + " is not whole hexadecimal bytes"};
        }
        ias::CBlob response;
        const unsigned short sw = s.transmit(command, response);
        char swText[8];
        std::snprintf(swText, sizeof swText, "%04X", sw);
        d["exchanges"].push_back(
            Json{{"command", ApduText(command, "")},
                 {"response", response.size() ? Json(Hex(response, "")) : Json()},
                 {"sw", swText},
                 {"meaning", SwMeaning(sw)}});
    }
    Print(d, s.options().json);
    return EXIT_OK;
}

} // namespace tool
