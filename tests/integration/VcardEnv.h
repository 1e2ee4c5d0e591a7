// What scripts/with-vcard gives a test program: the reader, the profile being
// played, the card's APDU trace and the script that removes or inserts it.
#ifndef TESTS_INTEGRATION_VCARDENV_H
#define TESTS_INTEGRATION_VCARDENV_H

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace cardit {

inline std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

inline std::string Reader() {
    return Env("IAS_TEST_READER");
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Upper-case hex without blanks, as the card's trace writes it.
inline std::string Hex(const unsigned char* p, std::size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 0x0F];
    }
    return out;
}

/// `text` without blanks, in upper case.
inline std::string Compact(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ') {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

/// Every line of the trace: "> command", "< response", "! RESET".
inline std::vector<std::string> TraceLines() {
    std::vector<std::string> lines;
    std::ifstream in(Env("IAS_VCARD_TRACE"));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

/// The command APDUs the card has seen so far, as hex.
inline std::vector<std::string> Commands() {
    std::vector<std::string> commands;
    for (const std::string& line : TraceLines()) {
        if (line.rfind("> ", 0) == 0) {
            commands.push_back(line.substr(2));
        }
    }
    return commands;
}

/// Remembers how far the trace went, to ask later what came after.
class TraceMark {
public:
    TraceMark() : m_commands(Commands().size()), m_lines(TraceLines().size()) {}
    std::vector<std::string> NewCommands() const { return After(Commands(), m_commands); }
    std::vector<std::string> NewLines() const { return After(TraceLines(), m_lines); }

private:
    static std::vector<std::string> After(const std::vector<std::string>& all, std::size_t n) {
        return std::vector<std::string>(all.begin() + static_cast<long>(n), all.end());
    }
    std::size_t m_commands;
    std::size_t m_lines;
};

/// "stop", "start" or "restart" (fresh PIN counters) the card; 0 on success.
inline int VcardCtl(const char* action) {
    const std::string command = "\"" + Env("IAS_VCARD_CTL") + "\" " + action + " >/dev/null";
    return std::system(command.c_str());
}

/// The ATR of the profile being played, as hex.
inline std::string ProfileAtr() {
    const std::string profile = ReadFile(Env("IAS_VCARD_PROFILE"));
    std::smatch m;
    return std::regex_search(profile, m, std::regex("\"atr\"\\s*:\\s*\"([0-9A-Fa-f ]+)\""))
               ? Compact(m[1].str())
               : "";
}

/// T=0 when the ATR has no TD1 (the profiles used here offer one protocol).
inline bool ProfileIsT0() {
    const std::string atr = ProfileAtr();
    return atr.size() >= 4 && (std::stoi(atr.substr(2, 2), nullptr, 16) & 0x80) == 0;
}

} // namespace cardit

#endif
