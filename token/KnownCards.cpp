#include "token/KnownCards.h"

#include <cstdlib>
#include <fstream>
#include <vector>

namespace token {

namespace {

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t\r");
    const std::size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

std::vector<unsigned char> HexBytes(const std::string& text) {
    std::vector<unsigned char> out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        out.push_back(
            static_cast<unsigned char>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16)));
    }
    return out;
}

} // namespace

// Blocks of "Card:", "Atr:", "AtrMask:" lines, in order of preference.
std::string KnownCards::name(const unsigned char* atr, std::size_t n) {
    const char* root = std::getenv("QV_PATH");
    std::ifstream in(std::string(root && *root ? root : "/etc/Quovanta") + "/atr.cnf");
    std::string line, card, ref;
    while (std::getline(in, line)) {
        const std::size_t colon = line.find(':');
        if (line.empty() || line[0] == '#' || colon == std::string::npos) {
            continue;
        }
        const std::string key = Trim(line.substr(0, colon)), value = Trim(line.substr(colon + 1));
        if (key == "Card") {
            card = value;
        } else if (key == "Atr") {
            ref = value;
        } else if (key == "AtrMask") {
            const std::vector<unsigned char> mask = HexBytes(value), reference = HexBytes(ref);
            bool match = reference.size() >= mask.size() && n >= mask.size();
            for (std::size_t i = 0; match && i < mask.size(); ++i) {
                match = (atr[i] & mask[i]) == reference[i];
            }
            if (match) {
                return card;
            }
        }
    }
    return "";
}

} // namespace token
