// The objects of the CIO directory files: every attribute for dump, one line
// each for the list commands, and the certificates and data they point to.
#include "Tool.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <set>

namespace tool {

namespace {

// ---- the file's elements, split without the library ----------------------
// The readers skip kinds they do not decode and say nothing, so the tool
// walks the file itself to count them and to place a failing element.

struct Element {
    std::size_t offset;
    int choice; ///< -1 universal, n for [n], -2 another class
    ias::CBlob der;
};

// One TLV header at `at`: false when it runs past the end.
bool Header(const ias::CBlob& b, std::size_t at, std::size_t& header, std::size_t& length) {
    std::size_t i = at + 1;
    if ((b[at] & 0x1F) == 0x1F) {
        while (i < b.size() && (b[i] & 0x80)) {
            ++i;
        }
        ++i;
    }
    if (i >= b.size()) {
        return false;
    }
    length = b[i] & 0x7F;
    if (b[i++] & 0x80) {
        const std::size_t n = length;
        if (n == 0 || n > 3 || i + n > b.size()) {
            return false;
        }
        length = 0;
        for (std::size_t k = 0; k < n; ++k) {
            length = (length << 8) | b[i++];
        }
    }
    header = i - at;
    return at + header + length <= b.size();
}

// The elements of a directory file, fillers (00, FF) skipped; `bad` gets the
// offset where the walk stopped on a malformed element, else -1.
std::vector<Element> Split(const ias::CBlob& b, long& bad) {
    std::vector<Element> out;
    bad = -1;
    std::size_t at = 0, header = 0, length = 0;
    while (at < b.size()) {
        const unsigned char t = b[at];
        if (t == 0x00 || t == 0xFF) {
            ++at;
            continue;
        }
        if (!Header(b, at, header, length)) {
            bad = static_cast<long>(at);
            break;
        }
        const int choice = (t & 0xC0) == 0 ? -1 : (t & 0xC0) == 0x80 ? (t & 0x1F) : -2;
        out.push_back(Element{
            at, choice,
            b.substr(static_cast<unsigned int>(at), static_cast<unsigned int>(header + length))});
        at += header + length;
    }
    return out;
}

// The first child of a constructed element, or empty.
ias::CBlob FirstChild(const ias::CBlob& der) {
    std::size_t header = 0, length = 0, h2 = 0, l2 = 0;
    if (der.size() < 2 || !Header(der, 0, header, length) || header >= der.size() ||
        !Header(der, header, h2, l2)) {
        return ias::CBlob();
    }
    return der.substr(static_cast<unsigned int>(header), static_cast<unsigned int>(h2 + l2));
}

// The label in the common attributes (the first child's first child, a
// UTF8String), or null.
Json LabelOf(const ias::CBlob& element) {
    const ias::CBlob label = FirstChild(FirstChild(element));
    std::size_t header = 0, length = 0;
    if (label.size() < 2 || label[0] != 0x0C || !Header(label, 0, header, length)) {
        return Json();
    }
    return Text(label.substr(static_cast<unsigned int>(header), static_cast<unsigned int>(length)));
}

// What the element of choice `c` in a file of EF.OD choice `file` holds.
std::string KindName(int file, int c) {
    static const char* const kKeys[] = {"RSA", "EC", "DH", "DSA", "KEA"};
    static const char* const kCerts[] = {"X.509", "X.509 attribute", "SPKI",           "PGP",
                                         "WTLS",  "X9.68",           "card-verifiable"};
    static const char* const kData[] = {"opaque", "ISO 7816", "OID"};
    static const char* const kAuth[] = {"PIN", "biometric", "authentication key", "external"};
    const std::string n = c < -1 ? "other class" : "[" + std::to_string(c) + "]";
    switch (file) {
    case 0:
    case 1:
    case 2:
        return c + 1 < 5 ? std::string(kKeys[c + 1]) + (file ? " public key" : " private key")
                         : "key " + n;
    case 3:
        return "secret key " + (c < 0 ? std::string("(generic)") : n);
    case 4:
    case 5:
    case 6:
        return c + 1 < 7 ? std::string(kCerts[c + 1]) + " certificate" : "certificate " + n;
    case 7:
        return c + 1 < 3 ? std::string(kData[c + 1]) + " data object" : "data object " + n;
    default:
        return c + 1 < 4 ? std::string(kAuth[c + 1]) : "authentication object " + n;
    }
}

// The element choices the library presents for a file of EF.OD choice `file`.
bool Decoded(int file, int c) {
    switch (file) {
    case 0:
    case 1:
    case 2:
        return c == -1 || c == 1;
    case 4:
    case 5:
    case 6:
        return c == -1;
    case 7:
        return c == -1 || c == 0;
    case 8:
        return c >= -1 && c <= 2;
    default:
        return false;
    }
}

// ---- attributes -------------------------------------------------------------

const std::vector<const char*> kKeyUsage = {"encrypt", "decrypt",       "sign",   "signRecover",
                                            "wrap",    "unwrap",        "verify", "verifyRecover",
                                            "derive",  "nonRepudiation"};

// A Name as one line of text ("C=FR, O=..., CN=..."), or its hex when OpenSSL
// does not read it.
Json NameText(const ias::CBlob& der) {
    if (der.size() == 0) {
        return Json();
    }
    const unsigned char* p = der.data();
    X509_NAME* name = d2i_X509_NAME(nullptr, &p, static_cast<long>(der.size()));
    if (!name) {
        return "(not a Name) " + Hex(der, "");
    }
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* text = nullptr;
    const long n = BIO_get_mem_data(bio, &text);
    std::string out(text, static_cast<std::size_t>(n));
    BIO_free(bio);
    X509_NAME_free(name);
    return out;
}

Json Condition(const Cia& cia, const ias::CCioSecurityCondition& c) {
    switch (c.type()) {
    case 1:
        return "always";
    case 2: {
        const std::string id = Hex(c.authId(), "");
        return Json{{"authId", id}, {"pin", cia.pinLabel(id)}};
    }
    case 3: {
        const ias::CCioAuthReference r = c.authReference();
        return Json{{"authMethod", Bits(r.authMethod(), {"secureMessaging", "external", "pin"})},
                    {"se", r.seIdentifier() < 0 ? Json() : Json(r.seIdentifier())}};
    }
    case 4:
        return Json{{"not", Condition(cia, c.notSc())}};
    case 5:
    case 6: {
        Json all = Json::array();
        for (const ias::CCioSecurityCondition& sub : c.type() == 5 ? c.andSc() : c.orSc()) {
            all.push_back(Condition(cia, sub));
        }
        return Json{{c.type() == 5 ? "and" : "or", all}};
    }
    default:
        return Json();
    }
}

Json Common(const Cia& cia, int file, const ias::CCioObject& o) {
    const std::string auth = Hex(o.authIdReference(), "");
    Json j{{"kind", KindName(file, o.choice())},
           {"label", TextOrNull(o.label())},
           {"flags", Bits(o.flags(), {"private", "modifiable"})},
           {"authId", auth.empty() ? Json() : Json(auth)},
           {"pin", auth.empty() ? Json() : cia.pinLabel(auth)},
           {"userConsent", o.userConsent() < 0 ? Json() : Json(o.userConsent())}};
    Json rules = Json::array();
    for (const ias::CCioAccessControlRule& r : o.accessControlRules()) {
        rules.push_back(Json{{"accessMode", Bits(r.accessMode(), {"read", "update", "execute"})},
                             {"condition", Condition(cia, r.securityCondition())}});
    }
    j["accessControlRules"] = rules;
    return j;
}

Json Identifiers(const std::vector<ias::CCioCredentialIdentifier>& ids) {
    Json out = Json::array();
    for (const ias::CCioCredentialIdentifier& i : ids) {
        out.push_back(Json{{"type", i.idType()}, {"value", Hex(i.idValue(), "")}});
    }
    return out;
}

Json Usage(const ias::CCioUsage& u) {
    if (u.isNull()) {
        return Json();
    }
    return Json{{"keyUsage", u.keyUsage() == 0xFFFFFFFFu ? Json() : Bits(u.keyUsage(), kKeyUsage)},
                {"extKeyUsage", u.extKeyUsage()}};
}

Json Value(const ias::CCioObjectValue& v) {
    static const char* const kTypes[] = {"none", "direct", "path", "url", "url", "url+digest"};
    const int t = v.type();
    Json j{{"type", kTypes[t < 0 || t > 5 ? 0 : t]}};
    if (t == 2) {
        ias::CCiaPath p;
        try {
            p = ias::CCiaPath(v.value());
            j["path"] = PathText(p);
        } catch (const ias::CIASException&) {
            j["raw"] = Hex(v.value(), "");
        }
    } else if (t == 3 || t == 4) {
        j["url"] = Text(v.value());
    } else if (t != 0) {
        j["raw"] = Hex(v.value(), "");
    }
    return j;
}

Json KeyInfo(const ias::CCioKeyInfo& k) {
    return k.isNull() ? Json()
                      : Json{{"parameters", Hex(k.parameters(), "")},
                             {"operations",
                              k.operations() == 0xFFFFFFFFu ? Json() : Json(k.operations())}};
}

void KeyAttributes(Json& j, const ias::CCioKey& k) {
    j["id"] = Hex(k.id(), "");
    j["usage"] = Bits(k.usage(), kKeyUsage);
    j["native"] = k.native();
    j["accessFlags"] = k.accessFlagsDefined()
                           ? Bits(k.accessFlags(), {"sensitive", "extractable", "alwaysSensitive",
                                                    "neverExtractable", "local"})
                           : Json();
    j["keyReference"] = k.keyReference() < 0 ? Json() : Json(k.keyReference());
    j["startDate"] = k.startDate().empty() ? Json() : Json(k.startDate());
    j["endDate"] = k.endDate().empty() ? Json() : Json(k.endDate());
    j["algReference"] = k.algReference();
}

Json PrivateKey(const Cia& cia, const ias::CCioPrivateKey& k) {
    Json j = Common(cia, 0, k);
    KeyAttributes(j, k);
    j["subject"] = NameText(k.name());
    j["generalName"] = HexOrNull(k.generalName());
    j["keyIdentifiers"] = Identifiers(k.keyIdentifiers());
    if (const auto* rsa = dynamic_cast<const ias::CCioPrivateRSAKey*>(&k)) {
        j["size"] = rsa->modulusLength();
        j["path"] = PathText(rsa->value());
        j["keyInfo"] = KeyInfo(rsa->keyInfo());
    } else if (const auto* dh = dynamic_cast<const ias::CCioPrivateDHKey*>(&k)) {
        j["size"] = nullptr;
        j["path"] = PathText(dh->value());
        j["keyInfo"] = KeyInfo(dh->keyInfo());
    }
    return j;
}

Json PublicKey(const Cia& cia, int file, const ias::CCioPublicKey& k) {
    Json j = Common(cia, file, k);
    KeyAttributes(j, k);
    j["subject"] = NameText(k.name());
    j["generalName"] = HexOrNull(k.generalName());
    j["keyIdentifiers"] = Identifiers(k.keyIdentifiers());
    j["trustedUsage"] = Usage(k.trustedUsage());
    if (const auto* rsa = dynamic_cast<const ias::CCioPublicRSAKey*>(&k)) {
        j["size"] = rsa->modulusLength();
        j["value"] = Value(rsa->value());
        j["keyInfo"] = KeyInfo(rsa->keyInfo());
    } else if (const auto* dh = dynamic_cast<const ias::CCioPublicDHKey*>(&k)) {
        j["size"] = nullptr;
        j["value"] = Value(dh->value());
        j["keyInfo"] = KeyInfo(dh->keyInfo());
    }
    return j;
}

Json Certificate(const Cia& cia, int file, const ias::CCioCertificate& c) {
    Json j = Common(cia, file, c);
    j["id"] = Hex(c.id(), "");
    j["authority"] = c.authority();
    j["certHash"] = HexOrNull(c.certHash());
    j["trustedUsage"] = Usage(c.trustedUsage());
    j["identifiers"] = Identifiers(c.identifiers());
    const auto validity = c.validity();
    j["validity"] = validity.first.empty() && validity.second.empty()
                        ? Json()
                        : Json{{"notBefore", validity.first}, {"notAfter", validity.second}};
    if (const auto* x = dynamic_cast<const ias::CCioX509Certificate*>(&c)) {
        j["value"] = Value(x->value());
        j["subject"] = NameText(x->subject());
        j["issuer"] = NameText(x->issuer());
        j["serialNumber"] = HexOrNull(x->serialNumber());
    }
    return j;
}

Json DataObject(const Cia& cia, const ias::CCioDataContainer& d) {
    Json j = Common(cia, 7, d);
    j["id"] = HexOrNull(d.id());
    j["applicationName"] = TextOrNull(d.applicationName());
    j["applicationOID"] = d.applicationOID().empty() ? Json() : Json(d.applicationOID());
    if (const auto* o = dynamic_cast<const ias::CCioOpaqueDO*>(&d)) {
        j["value"] = Value(o->value());
    } else if (const auto* i = dynamic_cast<const ias::CCioIso7816DO*>(&d)) {
        j["value"] = Value(i->value());
    }
    return j;
}

Json AuthObject(const Cia& cia, const ias::CCioAuthentication& a) {
    static const char* const kPwdTypes[] = {"bcd", "ascii-numeric", "utf8", "half-nibble-bcd",
                                            "iso9564-1"};
    Json j = Common(cia, 8, a);
    j["id"] = HexOrNull(a.authId());
    j["authReference"] = a.authReference() < 0 ? Json() : Json(a.authReference());
    j["seIdentifier"] = a.seIdentifier() < 0 ? Json() : Json(a.seIdentifier());
    const auto* p = dynamic_cast<const ias::CCioPasswordAuth*>(&a);
    if (p && a.choice() == -1) {
        const int t = p->pwdType();
        j["pwdFlags"] =
            Bits(p->pwdFlags(),
                 {"case-sensitive", "local", "change-disabled", "unblock-disabled", "initialized",
                  "needs-padding", "unblockingPassword", "soPassword", "disable-allowed",
                  "integrity-protected", "confidentiality-protected", "exchangeRefData"});
        j["pwdType"] = t >= 0 && t < 5 ? Json(kPwdTypes[t]) : t < 0 ? Json() : Json(t);
        j["minLength"] = p->minLength();
        j["storedLength"] = p->storedLength();
        j["maxLength"] = p->maxLength() < 0 ? Json() : Json(p->maxLength());
        char ref[8];
        std::snprintf(ref, sizeof ref, "%02X", p->pwdReference());
        j["pwdReference"] = ref;
        j["padChar"] = p->padCharDefined()
                           ? Json(Hex(ias::CBlob(1, static_cast<char>(p->padChar())), ""))
                           : Json();
        j["lastPasswordChange"] =
            p->lastPasswordChange().empty() ? Json() : Json(p->lastPasswordChange());
        const ias::CCiaPath path = p->path();
        j["path"] = path.efidOrPath().size() || path.aid().size() ? Json(PathText(path)) : Json();
    }
    return j;
}

// Loads the bytes into the file reader F and describes each object it gives;
// returns the reader's message when it stopped part way.
template <class F, class Each> std::string Decode(const ias::CBlob& bytes, Json& out, Each each) {
    F file;
    std::string error;
    try {
        file.load(bytes);
    } catch (const ias::CIASException& e) {
        error = e.descriptionA();
    }
    for (const auto* o : file.objects()) {
        out.push_back(each(*o));
    }
    return error;
}

} // namespace

Json Cia::pinLabel(const std::string& authId) const {
    for (const auto& p : pins) {
        if (p.first == authId) {
            return p.second.empty() ? Json("(no label)") : Json(p.second);
        }
    }
    return Json();
}

CioContent Describe(const Cia& cia, const CioFile& f) {
    CioContent c;
    const int k = f.choice;
    std::string error;
    if (k == 0) {
        error = Decode<ias::CPrivateKeyFile>(
            f.bytes, c.objects, [&](const ias::CCioPrivateKey& o) { return PrivateKey(cia, o); });
    } else if (k == 1 || k == 2) {
        error = Decode<ias::CPublicKeyFile>(
            f.bytes, c.objects, [&](const ias::CCioPublicKey& o) { return PublicKey(cia, k, o); });
    } else if (k >= 4 && k <= 6) {
        error =
            Decode<ias::CCertificateFile>(f.bytes, c.objects, [&](const ias::CCioCertificate& o) {
                return Certificate(cia, k, o);
            });
    } else if (k == 7) {
        error = Decode<ias::CDataContainerFile>(
            f.bytes, c.objects,
            [&](const ias::CCioDataContainer& o) { return DataObject(cia, o); });
    } else if (k == 8) {
        error =
            Decode<ias::CAuthObjectFile>(f.bytes, c.objects, [&](const ias::CCioAuthentication& o) {
                return AuthObject(cia, o);
            });
    }
    // The kinds the readers skip, counted per choice with their labels; and
    // the element the reader stopped on: the first decodable one after those
    // it gave (a malformed file layout stops it before any).
    long bad = -1;
    const std::vector<Element> elements = Split(f.bytes, bad);
    std::size_t decodable = 0;
    long failedAt = bad;
    for (const Element& e : elements) {
        if (Decoded(k, e.choice)) {
            if (bad < 0 && failedAt < 0 && decodable++ == c.objects.size()) {
                failedAt = static_cast<long>(e.offset);
            }
            continue;
        }
        Json* entry = nullptr;
        for (Json& u : c.undecoded) {
            entry = u["choice"] == e.choice ? &u : entry;
        }
        if (!entry) {
            c.undecoded.push_back(Json{{"choice", e.choice},
                                       {"kind", KindName(k, e.choice)},
                                       {"count", 0},
                                       {"labels", Json::array()}});
            entry = &c.undecoded.back();
        }
        (*entry)["count"] = (*entry)["count"].get<int>() + 1;
        (*entry)["labels"].push_back(LabelOf(e.der));
    }
    if (!error.empty()) {
        c.failure = std::string(CioKind(k)) + " " + PathText(f.file.path()) +
                    ": element at offset " +
                    (failedAt < 0 ? std::string("unknown") : std::to_string(failedAt)) +
                    " does not decode: " + error;
    }
    return c;
}

unsigned char PinReference(Session& s, const std::string& text) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (!text.empty() && *end == '\0' && v <= 0xFF) {
        return static_cast<unsigned char>(v);
    }
    const Cia cia = ReadCia(s);
    for (const CioFile& f : cia.files) {
        for (const Json& o : f.choice == 8 ? Describe(cia, f).objects : Json::array()) {
            if (o["label"] == text && o.contains("pwdReference")) {
                return static_cast<unsigned char>(
                    std::stoul(o["pwdReference"].get<std::string>(), nullptr, 16));
            }
        }
    }
    throw Failure{EXIT_USAGE,
                  "PIN '" + text + "' is neither a reference byte (81, 0x81) nor a PIN label"};
}

int List(Session& s, ListKind kind) {
    static const char* const kCommands[] = {"list-keys", "list-certs", "list-data", "list-pins"};
    static const char* const kMembers[] = {"keys", "certificates", "dataObjects", "pins"};
    const int i = static_cast<int>(kind);
    Json d = Document(kCommands[i]);
    s.card();
    d["reader"] = s.readerName();
    Json items = Json::array(), undecoded = Json::array();
    std::string failures;
    const Cia cia = ReadCia(s);
    for (const CioFile& f : cia.files) {
        const int k = f.choice;
        const bool mine = kind == ListKind::Keys    ? k <= 3
                          : kind == ListKind::Certs ? k >= 4 && k <= 6
                          : kind == ListKind::Data  ? k == 7
                                                    : k == 8;
        if (!mine) {
            continue;
        }
        CioContent c = Describe(cia, f);
        for (const Json& o : c.objects) {
            Json line{{"file", CioKind(k)}, {"id", o["id"]}, {"label", o["label"]}};
            if (kind == ListKind::Keys) {
                line["type"] = o["kind"];
                line["size"] = o.value("size", Json());
                line["usage"] = o["usage"];
            } else if (kind == ListKind::Certs) {
                line["subject"] = o.value("subject", Json());
                line["authority"] = o["authority"];
            } else if (kind == ListKind::Data) {
                line["applicationName"] = o["applicationName"];
                line["path"] = o.contains("value") ? o["value"].value("path", Json()) : Json();
            } else {
                line["type"] = o["kind"];
                line["reference"] = o.value("pwdReference", Json());
                line["flags"] = o.value("pwdFlags", Json::array());
            }
            line["pin"] = o["pin"];
            items.push_back(line);
        }
        for (Json& u : c.undecoded) {
            u["file"] = CioKind(k);
            undecoded.push_back(u);
        }
        failures += failures.empty() || c.failure.empty() ? "" : "\n";
        failures += c.failure;
    }
    d[kMembers[i]] = items;
    d["undecoded"] = undecoded;
    if (s.options().json) {
        Print(d, true);
    } else {
        for (const Json& line : items) {
            std::string text;
            for (auto it = line.begin(); it != line.end(); ++it) {
                const Json& v = it.value();
                if (v.is_null() || (v.is_array() && v.empty())) {
                    continue;
                }
                std::string value = v.is_string() ? v.get<std::string>() : "";
                for (const Json& item : v.is_array() ? v : Json::array()) {
                    value += (value.empty() ? "" : ",") + item.get<std::string>();
                }
                value = v.is_number() || v.is_boolean() ? v.dump() : value;
                text += (text.empty() ? "" : "  ") + it.key() + "=" + value;
            }
            std::cout << text << "\n";
        }
        for (const Json& u : undecoded) {
            std::cout << u["file"].get<std::string>() << ": " << u["count"].get<int>() << " "
                      << u["kind"].get<std::string>()
                      << " not decoded by libias: " << u["labels"].dump() << "\n";
        }
    }
    if (!failures.empty()) {
        throw Failure{EXIT_BAD_DATA, failures};
    }
    return EXIT_OK;
}

namespace {

// The object of `kinds` (EF.OD choices) whose id (hex) or label is `which`.
Json Find(const Cia& cia, const std::string& which, std::set<int> kinds, const char* what) {
    std::string upper = which;
    for (char& ch : upper) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    for (const CioFile& f : cia.files) {
        if (!kinds.count(f.choice)) {
            continue;
        }
        for (const Json& o : Describe(cia, f).objects) {
            if (o["label"] == which || (o["id"].is_string() && o["id"] == upper)) {
                return o;
            }
        }
    }
    throw Failure{EXIT_USAGE, std::string("no ") + what + " with id or label '" + which + "'"};
}

// The content the object value names: read from the card for a path, the
// bytes themselves for a direct value.
ias::CBlob ValueBytes(Session& s, const Cia& cia, const Json& value, const char* what) {
    if (value.is_object() && value.contains("raw") && value["type"] == "direct") {
        return ias::_HB(value["raw"].get<std::string>().c_str());
    }
    if (!value.is_object() || !value.contains("path")) {
        throw Failure{EXIT_BAD_DATA, std::string(what) + " has no path to read"};
    }
    ias::CCiaFile file;
    try {
        const std::string path = value["path"].get<std::string>();
        std::string fids;
        for (char ch : path) {
            fids += ch == '/' ? "" : std::string(1, ch);
        }
        file.open(s.card(), Resolve(cia.app, Fid(fids.c_str())));
        file.load();
    } catch (const ias::CIASException& e) {
        throw Failed("reading " + std::string(what) + " at " + value["path"].get<std::string>(), e);
    }
    return file;
}

} // namespace

int ReadCert(Session& s, const std::string& which, bool der) {
    const Cia cia = ReadCia(s);
    const Json o = Find(cia, which, {4, 5, 6}, "certificate");
    const ias::CBlob bytes = ValueBytes(s, cia, o.value("value", Json()), "the certificate");
    const unsigned char* p = bytes.data();
    X509* cert = d2i_X509(nullptr, &p, static_cast<long>(bytes.size()));
    if (!cert) {
        throw Failure{EXIT_BAD_DATA, "the certificate '" + which + "' is not X.509 DER"};
    }
    if (der) {
        unsigned char* out = nullptr;
        const int n = i2d_X509(cert, &out);
        std::cout.write(reinterpret_cast<const char*>(out), n);
        OPENSSL_free(out);
        X509_free(cert);
        return EXIT_OK;
    }
    auto text = [](void (*write)(BIO*, X509*), X509* c) {
        BIO* bio = BIO_new(BIO_s_mem());
        write(bio, c);
        char* data = nullptr;
        const long n = BIO_get_mem_data(bio, &data);
        std::string out(data, static_cast<std::size_t>(n));
        BIO_free(bio);
        return out;
    };
    auto name = [](X509_NAME* n) {
        unsigned char* encoded = nullptr;
        const int len = i2d_X509_NAME(n, &encoded);
        Json j = NameText(ias::CBlob(encoded, static_cast<unsigned int>(len)));
        OPENSSL_free(encoded);
        return j;
    };
    EVP_PKEY* key = X509_get0_pubkey(cert);
    Json d = Document("read-cert");
    d["id"] = o["id"];
    d["label"] = o["label"];
    d["subject"] = name(X509_get_subject_name(cert));
    d["issuer"] = name(X509_get_issuer_name(cert));
    d["notBefore"] =
        text([](BIO* b, X509* c) { ASN1_TIME_print(b, X509_get0_notBefore(c)); }, cert);
    d["notAfter"] = text([](BIO* b, X509* c) { ASN1_TIME_print(b, X509_get0_notAfter(c)); }, cert);
    d["keyType"] = key ? Json(OBJ_nid2sn(EVP_PKEY_base_id(key))) : Json();
    d["keySize"] = key ? Json(EVP_PKEY_bits(key)) : Json();
    d["pem"] = text([](BIO* b, X509* c) { PEM_write_bio_X509(b, c); }, cert);
    X509_free(cert);
    if (s.options().json) {
        Print(d, true);
    } else {
        // The facts as comment lines, which PEM readers skip.
        for (const char* k : {"subject", "issuer", "notBefore", "notAfter", "keyType", "keySize"}) {
            std::cout << "# " << k << ": "
                      << (d[k].is_string() ? d[k].get<std::string>() : d[k].dump()) << "\n";
        }
        std::cout << d["pem"].get<std::string>();
    }
    return EXIT_OK;
}

int ReadData(Session& s, const std::string& which, const PinOptions& p, bool raw) {
    const Cia cia = ReadCia(s);
    const Json o = Find(cia, which, {7}, "data object");
    if (!p.pin.empty()) {
        VerifyPin(s, p);
    }
    ias::CBlob bytes = ValueBytes(s, cia, o.value("value", Json()), "the data object");
    // A content that is one TLV element is shown without the file's filler.
    std::size_t header = 0, length = 0;
    if (bytes.size() > 1 && Header(bytes, 0, header, length)) {
        bytes = bytes.substr(0, static_cast<unsigned int>(header + length));
    }
    if (raw) {
        std::cout.write(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<std::streamsize>(bytes.size()));
        return EXIT_OK;
    }
    Json d = Document("read-data");
    d["id"] = o["id"];
    d["label"] = o["label"];
    d["path"] = o.value("value", Json::object()).value("path", Json());
    d["content"] = Hex(bytes, "");
    Print(d, s.options().json);
    return EXIT_OK;
}

} // namespace tool
