#include "Tool.h"

#include <iostream>
#include <sstream>

namespace tool {

namespace {

std::string Scalar(const Json& v) {
    if (v.is_null()) {
        return "-";
    }
    return v.is_string() ? v.get<std::string>() : v.dump();
}

// The text form is the JSON document laid out as indented "key: value" lines,
// arrays as "- " items, so both forms always carry the same facts.
void Write(std::ostream& out, const Json& v, int indent) {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    if (v.is_object()) {
        for (auto it = v.begin(); it != v.end(); ++it) {
            const Json& child = it.value();
            if (child.is_structured() && child.empty()) {
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
                // The first member on the dash line, the others below it.
                std::ostringstream nested;
                Write(nested, item, indent + 2);
                std::string s = nested.str();
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

Json Document(const char* command) {
    Json d;
    d["schema"] = "ias-tool/2";
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
