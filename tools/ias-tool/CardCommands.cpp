// apdu and the PIN commands: exchanges the tool builds itself.
#include "Tool.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace tool {

namespace {

// A PIN value that is overwritten before its storage is released.
class Secret {
public:
    Secret() = default;
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    ~Secret() { wipe(); }
    std::string& value() { return m_value; }
    void wipe() {
        volatile char* p = &m_value[0];
        for (std::size_t i = 0; i < m_value.size(); ++i) {
            p[i] = 0;
        }
        m_value.clear();
    }

private:
    std::string m_value;
};

void ReadLine(std::istream& in, Secret& s) {
    std::getline(in, s.value());
    if (!s.value().empty() && s.value().back() == '\r') {
        s.value().pop_back();
    }
}

// Prompts on the terminal with echo off; the terminal's settings are restored.
void ReadTerminal(const std::string& prompt, Secret& s) {
    FILE* tty = std::fopen("/dev/tty", "r+");
    if (!tty) {
        throw Failure{EXIT_USAGE, "no terminal to read the PIN from; use --pin-stdin or --pin-env"};
    }
    const int fd = fileno(tty);
    termios saved{}, quiet{};
    tcgetattr(fd, &saved);
    quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    std::fputs(prompt.c_str(), tty);
    std::fflush(tty);
    tcsetattr(fd, TCSAFLUSH, &quiet);
    for (int c = std::fgetc(tty); c != EOF && c != '\n'; c = std::fgetc(tty)) {
        s.value().push_back(static_cast<char>(c));
    }
    tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputs("\n", tty);
    std::fclose(tty);
}

// One secret from the source the options name: --pin-stdin (a line each),
// the environment variable `env`, or the terminal.
void ReadSecret(const PinOptions& p, const std::string& env, const std::string& prompt, Secret& s) {
    if (p.fromStdin) {
        ReadLine(std::cin, s);
    } else if (!env.empty()) {
        const char* v = std::getenv(env.c_str());
        if (!v) {
            throw Failure{EXIT_USAGE, "environment variable " + env + " is not set"};
        }
        s.value() = v;
    } else {
        ReadTerminal(prompt, s);
    }
    if (s.value().empty()) {
        throw Failure{EXIT_USAGE, "empty PIN (" + prompt.substr(0, prompt.size() - 2) + ")"};
    }
}

// Sends INS with P1 and the PIN reference; the PIN bytes are masked in --verbose.
void PinApdu(Session& s, const char* what, unsigned char ins, unsigned char p1, unsigned char ref,
             Secret& pin) {
    ias::CBlob apdu(std::string{0x00, static_cast<char>(ins), static_cast<char>(p1),
                                static_cast<char>(ref), static_cast<char>(pin.value().size())});
    apdu += ias::CBlob(pin.value());
    pin.wipe();
    ias::CBlob response;
    const unsigned short sw = s.transmit(apdu, response, 5);
    for (unsigned int i = 0; i < apdu.size(); ++i) {
        apdu[i] = 0;
    }
    if (sw != 0x9000) {
        throw Failed(
            std::string(what) + " of PIN " + Hex(ias::CBlob(1, static_cast<char>(ref))),
            ias::CIASException(ias::CIASException::IAS_ERR_CARD_FRAMEWORK, 0, "IsoException", sw));
    }
}

} // namespace

void VerifyPin(Session& s, const PinOptions& p) {
    const unsigned char ref = PinReference(s, p.pin);
    Secret pin;
    ReadSecret(p, p.env, "PIN: ", pin);
    PinApdu(s, "VERIFY", 0x20, 0x00, ref, pin);
}

int PinCommand(Session& s, PinOp op, const PinOptions& p) {
    const unsigned char ref = PinReference(s, p.pin);
    Secret first, second;
    if (op == PinOp::Unblock) {
        if (p.puk.empty()) {
            throw Failure{EXIT_USAGE, "unblock-pin needs --puk REF"};
        }
        ReadSecret(p, p.env, "PUK: ", first);
        ReadSecret(p, p.newEnv, "New PIN: ", second);
        PinApdu(s, "VERIFY", 0x20, 0x00, PinReference(s, p.puk), first);
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
    d["pin"] = Hex(ias::CBlob(1, static_cast<char>(ref)));
    d["result"] = op == PinOp::Verify ? "verified" : op == PinOp::Change ? "changed" : "unblocked";
    Print(d, s.options().json);
    return EXIT_OK;
}

int Apdu(Session& s, const std::vector<std::string>& hex) {
    Json d = Document("apdu");
    s.card();
    d["reader"] = s.readerName();
    d["exchanges"] = Json::array();
    for (const std::string& h : hex) {
        ias::CBlob command;
        try {
            command = ias::_HB(h);
        } catch (const ias::CIASException&) {
            throw Failure{EXIT_USAGE, "'" + h + "' is not hexadecimal"};
        }
        if (h.find_first_not_of("0123456789abcdefABCDEF \t") != std::string::npos ||
            command.size() * 2 !=
                h.size() - static_cast<std::size_t>(std::count_if(h.begin(), h.end(), ::isspace))) {
            throw Failure{EXIT_USAGE, "'" + h + "' is not whole hexadecimal bytes"};
        }
        ias::CBlob response;
        const unsigned short sw = s.transmit(command, response);
        char swText[8];
        std::snprintf(swText, sizeof swText, "%04X", sw);
        d["exchanges"].push_back(
            Json{{"command", Hex(command, "")},
                 {"response", response.size() ? Json(Hex(response, "")) : Json()},
                 {"sw", swText},
                 {"meaning", SwMeaning(sw)}});
    }
    Print(d, s.options().json);
    return EXIT_OK;
}

} // namespace tool
