// The text form of dump: one line per file and a few per object, in the
// spirit of pkcs15-tool --dump; every member stays in the --json form.
#include "Tool.h"

#include <iostream>

namespace tool {

namespace {

std::string Quoted(const Json& v) {
    return v.is_string() ? "\"" + Printable(v.get<std::string>()) + "\"" : "(no label)";
}

std::string Joined(const Json& names) {
    std::string out;
    for (const Json& n : names) {
        out += (out.empty() ? "" : ", ") + Printable(n.get<std::string>());
    }
    return out;
}

void Line(const char* key, const std::string& value) {
    std::cout << "    " << key << ": " << value << "\n";
}

void Problems(const Json& file, const char* pad) {
    for (const Json& p : file["problems"]) {
        std::string text = std::string(p["stage"].get<std::string>()) + " failed";
        if (!p["offset"].is_null()) {
            text += " at offset " + p["offset"].dump();
        }
        if (!p["sw"].is_null()) {
            text += ": card answered " + p["sw"].get<std::string>();
        } else if (!p["pcsc"].is_null()) {
            text += ": " + p["pcsc"].get<std::string>();
        }
        text += " (" + Printable(p["message"].get<std::string>()) + ")";
        std::cout << pad << "! " << text << "\n";
    }
}

void Object(const Json& o) {
    std::cout << "  " << Printable(o["kind"].get<std::string>()) << " " << Quoted(o["label"])
              << (o["decoded"].get<bool>() ? "" : "  (not decoded by libias)") << "\n";
    if (!o["id"].is_null()) {
        Line("ID", o["id"].get<std::string>());
    }
    if (!o["authId"].is_null()) {
        Line("Auth ID", o["authId"].get<std::string>() +
                            (o["pin"].is_string() ? " " + Quoted(o["pin"]) : std::string()));
    }
    if (o.contains("flags") && !o["flags"].empty()) {
        Line("Flags", Joined(o["flags"]));
    }
    if (o.contains("usage")) {
        Line("Usage", Joined(o["usage"]));
    }
    if (o.contains("size") && !o["size"].is_null()) {
        Line("Size", o["size"].dump() + " bits");
    }
    if (o.contains("keyReference") && !o["keyReference"].is_null()) {
        Line("Key reference", RefText(o["keyReference"].get<long>()));
    }
    if (o.contains("pwdReference")) {
        Line("Reference", RefText(o["pwdReference"].get<long>()));
        Line("Type", o["pwdType"].is_string() ? o["pwdType"].get<std::string>() : "-");
        Line("Length", "min " + o["minLength"].dump() + ", max " +
                           (o["maxLength"].is_null() ? "-" : o["maxLength"].dump()) + ", stored " +
                           o["storedLength"].dump());
        if (!o["pwdFlags"].empty()) {
            Line("PIN flags", Joined(o["pwdFlags"]));
        }
        if (!o["pinPath"].is_null()) {
            Line("Path", PathJsonText(o["pinPath"]));
        }
    }
    if (o.contains("authority") && o["authority"].get<bool>()) {
        Line("Authority", "yes");
    }
    for (const char* k : {"subject", "issuer"}) {
        if (o.contains(k) && o[k].is_string()) {
            Line(k[0] == 's' ? "Subject" : "Issuer", Printable(o[k].get<std::string>()));
        }
    }
    if (o.contains("applicationName") && o["applicationName"].is_string()) {
        Line("Application", Quoted(o["applicationName"]));
    }
    if (o.contains("path")) {
        Line("Path", PathJsonText(o["path"]));
    }
    if (o.contains("value")) {
        const Json& v = o["value"];
        Line("Value", v.contains("path")  ? PathJsonText(v["path"])
                      : v.contains("url") ? Printable(v["url"].get<std::string>())
                      : v.contains("raw")
                          ? v["type"].get<std::string>() + ", " +
                                std::to_string(v["raw"].get<std::string>().size() / 2) + " bytes"
                          : v["type"].get<std::string>());
    }
    if (o.contains("error")) {
        Line("Error", Printable(o["error"].get<std::string>()));
    }
}

} // namespace

void PrintDumpText(const Json& d) {
    std::cout << "Reader: " << Printable(d["reader"].get<std::string>()) << "\n"
              << "ATR: " << d["atr"].get<std::string>() << "\n";
    if (d["cardName"].is_string()) {
        std::cout << "Card: " << Printable(d["cardName"].get<std::string>()) << "\n";
    }
    for (const Json& f : d["files"]) {
        std::cout << "\n" << f["file"].get<std::string>() << " " << PathJsonText(f["path"]);
        if (f.contains("listedPath")) {
            std::cout << " (listed as " << PathJsonText(f["listedPath"]) << ")";
        }
        std::cout << (f["size"].is_null() ? "" : ", " + f["size"].dump() + " bytes") << "\n";
        Problems(f, "  ");
        if (f.contains("error")) {
            std::cout << "  ! " << Printable(f["error"].get<std::string>()) << "\n";
        }
        if (f.contains("sameAs")) {
            std::cout << "  (listed again: its objects are shown at its first listing)\n";
        }
        if (f.contains("applications")) {
            for (const Json& a : f["applications"]) {
                std::cout << "  application "
                          << (a["aid"].is_null() ? "-" : a["aid"].get<std::string>()) << " "
                          << Quoted(a["label"]) << " at " << PathJsonText(a["path"]) << "\n";
            }
        }
        if (f.contains("entries")) {
            for (const Json& e : f["entries"]) {
                std::cout << "  " << e["kind"].get<std::string>() << ": " << PathJsonText(e["path"])
                          << "\n";
            }
        }
        if (f["file"] == "EF.CIAInfo" && f.contains("version")) {
            Line("Label", Quoted(f["label"]));
            Line("Serial number",
                 f["serialNumber"].is_null() ? "-" : f["serialNumber"].get<std::string>());
            Line("Manufacturer", Quoted(f["manufacturerId"]));
            Line("Version",
                 f["version"].dump() + " (v" + std::to_string(f["version"].get<int>() + 1) + ")");
            if (!f["cardflags"].empty()) {
                Line("Flags", Joined(f["cardflags"]));
            }
            for (const Json& a : f["supportedAlgorithms"]) {
                Line("Algorithm", RefText(a["reference"].get<long>()) + " " +
                                      Printable(a["objId"].get<std::string>()) + " " +
                                      Joined(a["supportedOperations"]));
            }
        }
        if (f.contains("objects")) {
            for (const Json& o : f["objects"]) {
                Object(o);
            }
        }
    }
}

} // namespace tool
