#include "Tool.h"

#include "token/KnownCards.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace tool {

namespace {

struct Named {
    unsigned long code;
    const char* text;
};

// The status words a user meets most; SW1 alone for the families that carry
// a count or a length in SW2.
const Named kStatusWords[] = {
    {0x9000, "normal processing"},
    {0x6281, "part of the returned data may be corrupted"},
    {0x6282, "end of file reached before reading Le bytes"},
    {0x6283, "selected file deactivated"},
    {0x6581, "memory failure"},
    {0x6700, "wrong length"},
    {0x6881, "logical channel not supported"},
    {0x6882, "secure messaging not supported"},
    {0x6981, "command incompatible with file structure"},
    {0x6982, "security status not satisfied"},
    {0x6983, "authentication method blocked"},
    {0x6984, "reference data not usable"},
    {0x6985, "conditions of use not satisfied"},
    {0x6986, "command not allowed (no current EF)"},
    {0x6987, "expected secure messaging data objects missing"},
    {0x6988, "incorrect secure messaging data objects"},
    {0x6A80, "incorrect parameters in the command data field"},
    {0x6A81, "function not supported"},
    {0x6A82, "file or application not found"},
    {0x6A83, "record not found"},
    {0x6A84, "not enough memory space in the file"},
    {0x6A86, "incorrect parameters P1-P2"},
    {0x6A88, "referenced data or reference data not found"},
    {0x6B00, "wrong parameters P1-P2"},
    {0x6D00, "instruction code not supported or invalid"},
    {0x6E00, "class not supported"},
    {0x6F00, "no precise diagnosis"},
};

const Named kPcscCodes[] = {
    {0x80100001, "SCARD_F_INTERNAL_ERROR"},     {0x80100002, "SCARD_E_CANCELLED"},
    {0x80100003, "SCARD_E_INVALID_HANDLE"},     {0x80100004, "SCARD_E_INVALID_PARAMETER"},
    {0x80100006, "SCARD_E_NO_MEMORY"},          {0x80100008, "SCARD_E_INSUFFICIENT_BUFFER"},
    {0x80100009, "SCARD_E_UNKNOWN_READER"},     {0x8010000A, "SCARD_E_TIMEOUT"},
    {0x8010000B, "SCARD_E_SHARING_VIOLATION"},  {0x8010000C, "SCARD_E_NO_SMARTCARD"},
    {0x8010000D, "SCARD_E_UNKNOWN_CARD"},       {0x8010000F, "SCARD_E_PROTO_MISMATCH"},
    {0x80100010, "SCARD_E_NOT_READY"},          {0x80100011, "SCARD_E_INVALID_VALUE"},
    {0x80100013, "SCARD_F_COMM_ERROR"},         {0x80100016, "SCARD_E_NOT_TRANSACTED"},
    {0x80100017, "SCARD_E_READER_UNAVAILABLE"}, {0x8010001D, "SCARD_E_NO_SERVICE"},
    {0x8010001E, "SCARD_E_SERVICE_STOPPED"},    {0x8010002E, "SCARD_E_NO_READERS_AVAILABLE"},
    {0x80100066, "SCARD_W_UNRESPONSIVE_CARD"},  {0x80100067, "SCARD_W_UNPOWERED_CARD"},
    {0x80100068, "SCARD_W_RESET_CARD"},         {0x80100069, "SCARD_W_REMOVED_CARD"},
};

std::string Lookup(const Named* table, std::size_t n, unsigned long code) {
    for (std::size_t i = 0; i < n; ++i) {
        if (table[i].code == code) {
            return table[i].text;
        }
    }
    return "";
}

std::string Hex4(unsigned long v, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*lX", digits, v);
    return buffer;
}

} // namespace

std::string Hex(const ias::CBlob& b, const char* separator) {
    std::string out;
    for (unsigned int i = 0; i < b.size(); ++i) {
        out += (i ? separator : "") + Hex4(b[i], 2);
    }
    return out;
}

std::string SwMeaning(unsigned int sw) {
    const std::size_t n = sizeof kStatusWords / sizeof kStatusWords[0];
    std::string m = Lookup(kStatusWords, n, sw);
    if (!m.empty()) {
        return m;
    }
    const unsigned int sw2 = sw & 0xFF;
    switch (sw >> 8) {
    case 0x61:
        return std::to_string(sw2) + " response bytes still available";
    case 0x6C:
        return "wrong Le: " + std::to_string(sw2) + " bytes available";
    case 0x63:
        if ((sw2 & 0xF0) == 0xC0) {
            return "verification failed, " + std::to_string(sw2 & 0x0F) + " tries left";
        }
        return "warning: non-volatile memory changed";
    case 0x62:
        return "warning: non-volatile memory unchanged";
    case 0x64:
        return "execution error: non-volatile memory unchanged";
    case 0x65:
        return "execution error: non-volatile memory changed";
    case 0x67:
        return "wrong length";
    case 0x68:
        return "functions in CLA not supported";
    case 0x69:
        return "command not allowed";
    case 0x6A:
        return "wrong parameters P1-P2";
    default:
        return "";
    }
}

std::string PcscName(unsigned long code) {
    return Lookup(kPcscCodes, sizeof kPcscCodes / sizeof kPcscCodes[0], code);
}

std::string PcscText(unsigned long code) {
    const std::string name = PcscName(code);
    return "0x" + Hex4(code, 8) + (name.empty() ? "" : " (" + name + ")");
}

Failure Failed(const std::string& what, const ias::CIASException& e) {
    if (e.sw() != 0) {
        const unsigned int sw = e.sw();
        const bool pin = (sw & 0xFFF0) == 0x63C0 || sw == 0x6983;
        return {pin ? EXIT_WRONG_PIN : EXIT_REFUSED,
                what + ": card answered " + Hex4(sw, 4) + " (" + SwMeaning(sw) + ")"};
    }
    if ((e.error() & 0xFFFFFF00UL) == 0x80100000UL) {
        return {EXIT_NO_CARD, what + ": PC/SC error " + PcscText(e.error())};
    }
    return {EXIT_BAD_DATA, what + ": " + e.descriptionA()};
}

std::string CardName(const ias::CBlob& atr) {
    return token::KnownCards::name(atr.data(), atr.size());
}

Failure FailedPcsc(const std::string& what, const token::PcscError& e) {
    return {EXIT_NO_CARD, what + ": PC/SC error " + PcscText(e.code())};
}

namespace {

token::Connection OpenPcsc() {
    try {
        return token::Connection();
    } catch (const token::PcscError& e) {
        throw FailedPcsc("cannot open a PC/SC context (is pcscd running?)", e);
    }
}

} // namespace

Session::Session(const Options& options) : m_options(options), m_connection(OpenPcsc()) {}

Session::~Session() = default;

std::vector<token::ReaderState> Session::readerStates() {
    try {
        return m_connection.readers();
    } catch (const token::PcscError& e) {
        throw FailedPcsc("listing the readers failed", e);
    }
}

ias::CIASCard& Session::card() {
    if (m_card) {
        return *m_card;
    }
    const std::vector<token::ReaderState> states = readerStates();
    if (states.empty()) {
        throw Failure{EXIT_NO_CARD, "no reader found"};
    }
    const std::string& wanted = m_options.reader;
    if (!wanted.empty()) {
        const bool index = wanted.find_first_not_of("0123456789") == std::string::npos;
        for (std::size_t i = 0; i < states.size(); ++i) {
            if (index ? std::to_string(i) == wanted : states[i].name == wanted) {
                try {
                    m_card = m_connection.connect(states[i].name);
                } catch (const token::PcscError& e) {
                    throw FailedPcsc("connecting to the card in '" + states[i].name + "'", e);
                }
                if (!m_card) {
                    throw Failure{EXIT_NO_CARD, "no card in reader '" + states[i].name + "'"};
                }
                m_reader = states[i].name;
                return *m_card;
            }
        }
        throw Failure{EXIT_NO_CARD, "no reader '" + wanted + "' (" + std::to_string(states.size()) +
                                        " readers; see " + "'ias-tool readers')"};
    }
    // The first reader pcscd shows with a card that accepts a connection; the
    // first refusal is reported when no card does.
    std::string refusal;
    for (const token::ReaderState& r : states) {
        if (!r.present) {
            continue;
        }
        try {
            m_card = m_connection.connect(r.name);
        } catch (const token::PcscError& e) {
            if (refusal.empty()) {
                refusal = FailedPcsc("connecting to the card in '" + r.name + "'", e).message;
            }
            continue;
        }
        if (m_card) {
            m_reader = r.name;
            return *m_card;
        }
    }
    throw Failure{EXIT_NO_CARD, refusal.empty() ? std::string("no card in any reader") : refusal};
}

bool SecretIns(unsigned char ins) {
    switch (ins) {
    case 0x20: // VERIFY
    case 0x21:
    case 0x24: // CHANGE REFERENCE DATA
    case 0x25:
    case 0x2C: // RESET RETRY COUNTER
    case 0x2D:
        return true;
    default:
        return false;
    }
}

std::string ApduText(const ias::CBlob& apdu, const char* separator) {
    const unsigned int n = apdu.size();
    // Only a short APDU whose Lc matches has a data field to mask; anything
    // else after the header is masked whole, as its layout is unknown.
    unsigned int dataFrom = n, dataEnd = n;
    if (n > 5 && SecretIns(apdu[1])) {
        const unsigned int lc = apdu[4];
        dataFrom = 5;
        dataEnd = n == 5 + lc || n == 6 + lc ? 5 + lc : n;
    } else if (n == 5 && SecretIns(apdu[1])) {
        dataFrom = dataEnd = 5; // Le or an empty VERIFY: nothing secret
    }
    std::string out;
    for (unsigned int i = 0; i < n; ++i) {
        out += i ? separator : "";
        out += i >= dataFrom && i < dataEnd ? "**" : Hex4(apdu[i], 2);
    }
    return out;
}

unsigned short Session::transmit(const ias::CBlob& apdu, ias::CBlob& response) {
    if (apdu.size() < 4) {
        throw Failure{EXIT_USAGE, "an APDU needs at least CLA INS P1 P2"};
    }
    ias::CBlob data;
    unsigned long le = 0;
    const unsigned int n = apdu.size();
    if (n == 5) {
        le = apdu[4] ? apdu[4] : 256;
    } else if (n > 5) {
        const unsigned int lc = apdu[4];
        if (n != 5 + lc && n != 6 + lc) {
            throw Failure{EXIT_USAGE, "APDU length does not match its Lc byte"};
        }
        data = apdu.substr(5, lc); // a blob: wiped when released
        if (n == 6 + lc) {
            le = apdu[n - 1] ? apdu[n - 1] : 256;
        }
    }
    if (m_options.verbose) {
        std::cerr << "> " << ApduText(apdu) << "\n";
    }
    unsigned short sw = 0;
    try {
        card().sendAPDU(apdu[0], apdu[1], apdu[2], apdu[3], data, le, response, sw);
    } catch (const ias::CIASException& e) {
        throw Failed("sending " + Hex(apdu.substr(0, 4), ""), e);
    }
    if (m_options.verbose) {
        std::cerr << "< " << Hex(response) << (response.size() ? " " : "") << Hex4(sw, 4) << " ("
                  << SwMeaning(sw) << ")\n";
    }
    return sw;
}

void Session::note(const std::string& line) const {
    if (m_options.verbose) {
        std::cerr << "# " << line << "\n";
    }
}

} // namespace tool
