// Rendering: JSON as it stands (invalid UTF-8 replaced), text with every
// byte a terminal could act on escaped, and the small JSON builders the
// commands share.
#include "Tool.h"

#include "token/PathText.h"

#include <cstdio>
#include <iostream>
#include <sstream>

namespace tool {

namespace {

std::string Escaped(unsigned char c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
    return buffer;
}

// The length of the well-formed UTF-8 sequence at `i`, or 0.
std::size_t SequenceLength(const std::string& s, std::size_t i, unsigned long& codePoint) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = at(i);
    std::size_t n = 0;
    unsigned char low = 0x80, high = 0xBF; // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        low = c == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = c == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        low = c == 0xF0 ? 0x90 : 0x80;
        high = c == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + n > s.size() || at(i + 1) < low || at(i + 1) > high) {
        return 0;
    }
    codePoint = c & (0xFF >> (n + 1));
    for (std::size_t k = 1; k < n; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (at(i + k) & 0x3F);
    }
    return n;
}

bool IsPath(const Json& v) {
    return v.is_object() && v.size() == 3 && v.contains("path") && v.contains("index") &&
           v.contains("length");
}

std::string Scalar(const Json& v) {
    if (v.is_null()) {
        return "-";
    }
    if (IsPath(v)) {
        return PathJsonText(v);
    }
    return v.is_string() ? Printable(v.get<std::string>())
                         : v.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The text form of the other commands: the JSON document laid out as indented
// "key: value" lines, arrays as "- " items.
void Write(std::ostream& out, const Json& v, int indent) {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    if (v.is_object()) {
        for (auto it = v.begin(); it != v.end(); ++it) {
            const Json& child = it.value();
            if (IsPath(child)) {
                out << pad << it.key() << ": " << Scalar(child) << "\n";
            } else if (child.is_structured() && child.empty()) {
                out << pad << it.key() << ": none\n";
            } else if (child.is_structured()) {
                out << pad << it.key() << ":\n";
                Write(out, child, indent + 2);
            } else {
                out << pad << it.key() << ": " << Scalar(child) << "\n";
            }
        }
    } else if (v.is_array()) {
        for (const Json& item : v) {
            if (item.is_object() && !item.empty()) {
                std::ostringstream nested;
                Write(nested, item, indent + 2);
                const std::string s = nested.str();
                out << pad << "- " << s.substr(static_cast<std::size_t>(indent) + 2);
            } else {
                out << pad << "- " << Scalar(item) << "\n";
            }
        }
    } else {
        out << pad << Scalar(v) << "\n";
    }
}

} // namespace

std::string Printable(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            out += Escaped(c);
            ++i;
        } else if (c == '\\') {
            out += "\\\\"; // so that an escape on the screen always means one
            ++i;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else {
            unsigned long cp = 0;
            const std::size_t n = SequenceLength(text, i, cp);
            if (n == 0 || (cp >= 0x80 && cp <= 0x9F)) { // invalid, or a C1 control
                const std::size_t k = n == 0 ? 1 : n;
                for (std::size_t j = 0; j < k; ++j) {
                    out += Escaped(static_cast<unsigned char>(text[i + j]));
                }
                i += k;
            } else {
                out.append(text, i, n);
                i += n;
            }
        }
    }
    return out;
}

std::string PathJsonText(const Json& p) {
    if (!p.is_object() || !p.contains("path")) {
        return "-";
    }
    const std::string out = Printable(p["path"].get<std::string>());
    if (!p.contains("index") || p["index"].is_null()) {
        return out;
    }
    return out + "[" + p["index"].dump() + "+" +
           (p["length"].is_null() ? std::string("?") : p["length"].dump()) + "]";
}

std::string RefText(long reference) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%ld (0x%02lX)", reference,
                  static_cast<unsigned long>(reference));
    return buffer;
}

ias::CCiaPath Fid(const char* hex) {
    ias::CCiaPath p;
    p.setEfidOrPath(ias::_HB(hex));
    return p;
}

Json HexOrNull(const ias::CBlob& b) {
    return b.size() ? Json(token::Hex(b)) : Json();
}
Json HexOrNull(const token::Bytes& b) {
    return b.empty() ? Json() : Json(token::Hex(b));
}
Json TextOf(const token::Bytes& b) {
    return std::string(b.begin(), b.end());
}
Json TextOrNull(const token::Bytes& b) {
    return b.empty() ? Json() : TextOf(b);
}
Json TextOrNull(const ias::CBlob& b) {
    return TextOrNull(token::ToBytes(b));
}

Json PathJson(const ias::CCiaPath& path) {
    ias::CCiaPath whole = path;
    whole.setIndex(-1);
    whole.setLength(-1);
    return Json{{"path", token::PathText(whole)},
                {"index", path.index() < 0 ? Json() : Json(path.index())},
                {"length", path.length() < 0 ? Json() : Json(path.length())}};
}

Json Bits(unsigned int mask, const std::vector<const char*>& names) {
    Json out = Json::array();
    for (unsigned int n = 0; n < 32; ++n) {
        if (mask & (1u << n)) {
            out.push_back(n < names.size() ? names[n] : "bit " + std::to_string(n));
        }
    }
    return out;
}

Json Document(const char* command) {
    Json d;
    d["schema"] = "ias-tool/3";
    d["command"] = command;
    return d;
}

void Print(const Json& document, bool json) {
    if (json) {
        std::cout << document.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
        return;
    }
    Json shown = document;
    shown.erase("schema");
    shown.erase("command");
    Write(std::cout, shown, 0);
}

} // namespace tool
