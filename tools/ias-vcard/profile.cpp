#include "profile.h"

#include <nlohmann/json.hpp>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace vcard {

namespace {

using nlohmann::json;

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw std::runtime_error(where + ": " + what);
}

Bytes hexField(const json& j, const std::string& key, const std::string& where) {
    if (!j.contains(key)) {
        return {};
    }
    if (!j[key].is_string()) {
        fail(where, "\"" + key + "\" must be a hex string");
    }
    try {
        return fromHex(j[key].get<std::string>());
    } catch (const std::invalid_argument& e) {
        fail(where + "." + key, e.what());
    }
}

std::uint8_t byteField(const json& j, const std::string& key, const std::string& where) {
    Bytes b = hexField(j, key, where);
    if (b.size() != 1) {
        fail(where, "\"" + key + "\" must be one byte in hex");
    }
    return b[0];
}

std::uint16_t fidOf(const json& j, const std::string& key, const std::string& where) {
    Bytes b = hexField(j, key, where);
    if (b.size() != 2) {
        fail(where, "\"" + key + "\" must be a two-byte file identifier");
    }
    return static_cast<std::uint16_t>(b[0] << 8 | b[1]);
}

std::size_t sizeField(const json& j, const std::string& key, std::size_t fallback,
                      const std::string& where) {
    if (!j.contains(key)) {
        return fallback;
    }
    if (!j[key].is_number_unsigned()) {
        fail(where, "\"" + key + "\" must be a non-negative number");
    }
    return j[key].get<std::size_t>();
}

Bytes readFile(const std::string& path, const std::string& where) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail(where, "cannot read " + path);
    }
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void commonAttributes(FileNode& f, const json& j, const std::string& where) {
    if (j.contains("lifeCycle")) {
        f.lifeCycle = byteField(j, "lifeCycle", where);
    }
    f.securityAttributes = hexField(j, "securityAttributes", where);
    f.securityInA1 = j.value("securityInA1", false);
    f.proprietaryA5 = hexField(j, "a5", where);
}

std::unique_ptr<FileNode> parseNode(const json& j, const std::string& where,
                                    const std::string& baseDir);

// An RSA private key in PEM, the key file of a profile key.
std::shared_ptr<evp_pkey_st> readRsaKey(const std::string& path, const std::string& where) {
    Bytes pem = readFile(path, where);
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(
        BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
    std::shared_ptr<evp_pkey_st> key(
        bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr,
        EVP_PKEY_free);
    ERR_clear_error();
    if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_RSA) {
        fail(where, path + " holds no RSA private key in PEM");
    }
    return key;
}

KeyConfig parseKey(const json& j, const std::string& where, const std::string& baseDir) {
    KeyConfig k;
    k.reference = byteField(j, "reference", where);
    if (!j.contains("keyFile") || !j["keyFile"].is_string()) {
        fail(where, "a key needs \"keyFile\", a PEM file relative to the profile");
    }
    k.key = readRsaKey(baseDir + "/" + j["keyFile"].get<std::string>(), where);
    k.pin = byteField(j, "pin", where);
    k.userConsent = j.value("userConsent", false);
    if (!j.contains("algRefs") || !j["algRefs"].is_array() || j["algRefs"].empty()) {
        fail(where, "a key needs \"algRefs\", the algorithm references it may be used with");
    }
    for (const json& v : j["algRefs"]) {
        Bytes b;
        try {
            b = v.is_string() ? fromHex(v.get<std::string>()) : Bytes{};
        } catch (const std::invalid_argument&) {
        }
        if (b.size() != 1) {
            fail(where, "each of \"algRefs\" must be one byte in hex");
        }
        k.algRefs.push_back(b[0]);
    }
    return k;
}

std::unique_ptr<FileNode> parseEf(const json& j, const std::string& where,
                                  const std::string& baseDir) {
    auto f = std::make_unique<FileNode>();
    f->fid = fidOf(j, "ef", where);
    commonAttributes(*f, j, where);
    if (j.contains("sfi")) {
        if (j["sfi"].is_null()) {
            f->sfi.reset();
        } else {
            std::size_t sfi = sizeField(j, "sfi", 0, where);
            if (sfi < 1 || sfi > 30) {
                fail(where, "\"sfi\" must be 1 to 30 or null");
            }
            f->sfi = static_cast<std::uint8_t>(sfi);
        }
    } else {
        f->announceSfi = false;
    }
    int sources = j.contains("content") + j.contains("contentFile") + j.contains("text");
    if (sources > 1) {
        fail(where, "give only one of \"content\", \"contentFile\" and \"text\"");
    }
    if (j.contains("content")) {
        f->content = hexField(j, "content", where);
    } else if (j.contains("contentFile")) {
        f->content = readFile(baseDir + "/" + j["contentFile"].get<std::string>(), where);
    } else if (j.contains("text")) {
        std::string t = j["text"].get<std::string>();
        f->content.assign(t.begin(), t.end());
    }
    std::size_t size = sizeField(j, "size", f->content.size(), where);
    if (size < f->content.size()) {
        fail(where, "\"size\" is smaller than the content");
    }
    if (size > 0x7FFF) {
        fail(where, "files are limited to 32767 bytes");
    }
    std::uint8_t filler = j.contains("filler") ? byteField(j, "filler", where) : 0x00;
    f->content.resize(size, filler);
    if (j.contains("readPin")) {
        f->readPin = byteField(j, "readPin", where);
    }
    return f;
}

std::unique_ptr<FileNode> parseDf(const json& j, const std::string& where,
                                  const std::string& baseDir) {
    auto f = std::make_unique<FileNode>();
    f->isDf = true;
    f->fid = fidOf(j, "df", where);
    f->dfName = hexField(j, "name", where);
    commonAttributes(*f, j, where);
    if (j.contains("children")) {
        if (!j["children"].is_array()) {
            fail(where, "\"children\" must be an array");
        }
        for (std::size_t i = 0; i < j["children"].size(); ++i) {
            auto child = parseNode(j["children"][i], where + ".children[" + std::to_string(i) + "]",
                                   baseDir);
            for (const auto& other : f->children) {
                if (other->fid == child->fid) {
                    fail(where, "two children with the same file identifier");
                }
            }
            child->parent = f.get();
            f->children.push_back(std::move(child));
        }
    }
    if (j.contains("keys")) {
        if (!j["keys"].is_array()) {
            fail(where, "\"keys\" must be an array");
        }
        for (std::size_t i = 0; i < j["keys"].size(); ++i) {
            std::string at = where + ".keys[" + std::to_string(i) + "]";
            KeyConfig k = parseKey(j["keys"][i], at, baseDir);
            for (const KeyConfig& other : f->keys) {
                if (other.reference == k.reference) {
                    fail(at, "two keys with the same reference in one DF");
                }
            }
            f->keys.push_back(std::move(k));
        }
    }
    return f;
}

std::unique_ptr<FileNode> parseNode(const json& j, const std::string& where,
                                    const std::string& baseDir) {
    if (!j.is_object()) {
        fail(where, "a file must be an object");
    }
    if (j.contains("ef") == j.contains("df")) {
        fail(where, "a file needs exactly one of \"ef\" and \"df\"");
    }
    return j.contains("df") ? parseDf(j, where, baseDir) : parseEf(j, where, baseDir);
}

PinConfig parsePin(const json& j, const std::string& where) {
    PinConfig p;
    p.reference = byteField(j, "reference", where);
    if (j.contains("value")) {
        std::string v = j["value"].get<std::string>();
        p.value.assign(v.begin(), v.end());
    } else {
        p.value = hexField(j, "valueHex", where);
    }
    if (p.value.empty()) {
        fail(where, "a PIN needs \"value\" (text) or \"valueHex\"");
    }
    p.maxTries = static_cast<int>(sizeField(j, "maxTries", 3, where));
    p.tries = static_cast<int>(sizeField(j, "tries", static_cast<std::size_t>(p.maxTries), where));
    if (p.maxTries < 1 || p.maxTries > 15 || p.tries > p.maxTries) {
        fail(where, "tries must be 0..maxTries and maxTries 1..15");
    }
    if (j.contains("unblockedBy")) {
        p.unblockedBy = byteField(j, "unblockedBy", where);
    }
    p.minLength = sizeField(j, "minLength", 4, where);
    p.maxLength = sizeField(j, "maxLength", 16, where);
    if (p.value.size() < p.minLength || p.value.size() > p.maxLength) {
        fail(where, "value length outside minLength..maxLength");
    }
    return p;
}

} // namespace

CardConfig parseProfile(const std::string& jsonText, const std::string& baseDir) {
    json j;
    try {
        j = json::parse(jsonText);
    } catch (const json::exception& e) {
        throw std::runtime_error(std::string("profile is not valid JSON: ") + e.what());
    }
    try {
        CardConfig c;
        c.name = j.value("name", "");
        c.atr = hexField(j, "atr", "atr");
        if (c.atr.size() < 2 || c.atr.size() > 33 || (c.atr[0] != 0x3B && c.atr[0] != 0x3F)) {
            fail("atr", "an ATR of 2 to 33 bytes starting 3B or 3F is needed");
        }
        if (j.contains("behaviour")) {
            const json& b = j["behaviour"];
            Behaviour& out = c.behaviour;
            if (b.contains("selectMf")) {
                out.selectMfP1_00 = out.selectMfP1_01 = false;
                for (const auto& v : b["selectMf"]) {
                    std::string s = v.get<std::string>();
                    if (s == "00") {
                        out.selectMfP1_00 = true;
                    } else if (s == "01") {
                        out.selectMfP1_01 = true;
                    } else {
                        fail("behaviour.selectMf", "only \"00\" and \"01\" are known");
                    }
                }
            }
            out.maxResponse = sizeField(b, "maxResponse", 256, "behaviour");
            out.getResponseAlways = b.value("getResponse", false);
            out.getResponsePiece = sizeField(b, "getResponsePiece", 256, "behaviour");
            out.wrapOddRead = b.value("wrapOddRead", true);
            if (out.maxResponse < 1 || out.maxResponse > 256 || out.getResponsePiece < 1 ||
                out.getResponsePiece > 256) {
                fail("behaviour", "maxResponse and getResponsePiece must be 1 to 256");
            }
        }
        if (!j.contains("mf")) {
            fail("mf", "the profile needs a master file");
        }
        c.mf = parseNode(j["mf"], "mf", baseDir);
        if (!c.mf->isDf || c.mf->fid != 0x3F00) {
            fail("mf", "the master file must be DF 3F00");
        }
        if (j.contains("pins")) {
            for (std::size_t i = 0; i < j["pins"].size(); ++i) {
                std::string where = "pins[" + std::to_string(i) + "]";
                PinConfig p = parsePin(j["pins"][i], where);
                for (const auto& other : c.pins) {
                    if (other.reference == p.reference) {
                        fail(where, "duplicate PIN reference");
                    }
                }
                c.pins.push_back(p);
            }
        }
        if (j.contains("faults")) {
            for (std::size_t i = 0; i < j["faults"].size(); ++i) {
                const json& f = j["faults"][i];
                std::string where = "faults[" + std::to_string(i) + "]";
                Fault fault;
                fault.match = hexField(f, "command", where);
                Bytes sw = hexField(f, "sw", where);
                if (sw.size() != 2 || fault.match.empty()) {
                    fail(where, "a fault needs \"command\" and a two-byte \"sw\"");
                }
                fault.sw = static_cast<std::uint16_t>(sw[0] << 8 | sw[1]);
                fault.skip = static_cast<int>(sizeField(f, "skip", 0, where));
                fault.times = f.value("times", 1);
                c.faults.push_back(fault);
            }
        }
        if (j.contains("hostile")) {
            c.hostileSeed = j["hostile"].value("seed", 1u);
            c.hostileRate = j["hostile"].value("rate", 4u);
        }
        return c;
    } catch (const json::exception& e) {
        throw std::runtime_error(std::string("profile: ") + e.what());
    }
}

CardConfig loadProfile(const std::string& path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot open profile " + path);
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string dir = ".";
    auto slash = path.find_last_of('/');
    if (slash != std::string::npos) {
        dir = path.substr(0, slash == 0 ? 1 : slash);
    }
    return parseProfile(text.str(), dir);
}

} // namespace vcard
