// Helpers shared by the card integration tests: the environment that
// scripts/with-vcard sets up, the card's APDU trace, and a connected handle.
#ifndef TESTS_INTEGRATION_CARD_CARDIT_H
#define TESTS_INTEGRATION_CARD_CARDIT_H

#include <ias/ias.h>

#include "Api/CIASCardImpl.h"

#include <gtest/gtest.h>

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

/// The other virtual reader, which the card tests leave empty unless they own it.
inline std::string OtherReader() {
    const std::string reader = Reader();
    return reader.substr(0, reader.size() - 1) + (reader.back() == '0' ? "1" : "0");
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
inline std::string Hex(const ias::CBlob& b) {
    return Hex(b.data(), b.size());
}
inline std::string Hex(const ZAZ::ByteVectorBase& b) {
    return Hex(b.begin(), static_cast<std::size_t>(b.size()));
}

/// Every line of the trace file.
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
    std::vector<std::string> NewCommands() const {
        const std::vector<std::string> all = Commands();
        return std::vector<std::string>(all.begin() + static_cast<long>(m_commands), all.end());
    }
    /// Commands, responses ("< ...") and reader events ("! RESET") since the mark.
    std::vector<std::string> NewLines() const {
        const std::vector<std::string> all = TraceLines();
        return std::vector<std::string>(all.begin() + static_cast<long>(m_lines), all.end());
    }

private:
    std::size_t m_commands;
    std::size_t m_lines;
};

inline int VcardCtl(const char* action) {
    const std::string command = "\"" + Env("IAS_VCARD_CTL") + "\" " + action + " >/dev/null";
    return std::system(command.c_str());
}

/// The ATR of the profile being played, as hex.
inline std::string ProfileAtr() {
    const std::string profile = ReadFile(Env("IAS_VCARD_PROFILE"));
    std::smatch m;
    if (!std::regex_search(profile, m, std::regex("\"atr\"\\s*:\\s*\"([0-9A-Fa-f ]+)\""))) {
        return "";
    }
    std::string out;
    for (char c : m[1].str()) {
        if (c != ' ') {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

/// T=0 when the ATR has no TD1 (the profiles used here offer one protocol).
inline bool ProfileIsT0() {
    const std::string atr = ProfileAtr();
    return atr.size() >= 4 && (std::stoi(atr.substr(2, 2), nullptr, 16) & 0x80) == 0;
}

/// A library context for the test program, and a card handle connected to
/// the reader under test.
class ConnectedCard : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(ias::IASInitialize(&s_context), ias::IAS_S_OK); }
    static void TearDownTestSuite() {
        ias::IASFinalize(s_context);
        s_context = nullptr;
    }
    void SetUp() override {
        ASSERT_FALSE(Reader().empty()) << "run under scripts/with-vcard";
        std::string reader = Reader();
        ASSERT_EQ(ias::IASConnectA(s_context, &reader[0], card), ias::IAS_S_OK);
    }

    /// The handle's command-layer card object (maximum response 231).
    IAS::CCiaCard& cia() { return ias::CIASCardAccess::impl(card).card; }

    /// sendAPDU that must not throw; returns the status word.
    unsigned short Send(const char* header, const char* data, unsigned long le,
                        ias::CBlob* out = nullptr) {
        const ias::CBlob h = ias::_HB(header);
        ias::CBlob response;
        unsigned short sw = 0;
        card.sendAPDU(h[0], h[1], h[2], h[3], ias::_HB(data), le, response, sw);
        if (out != nullptr) {
            *out = response;
        }
        return sw;
    }

    static inline void* s_context = nullptr;
    ias::CIASCard card;
};

} // namespace cardit

#endif
