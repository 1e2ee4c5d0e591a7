// info, dump, the list commands, read-cert and read-data: the card's CIA as
// the token layer reads it. A file or element that fails shows where it
// failed, the rest is shown, and the exit code says "partial".
#include "Tool.h"

#include "token/CardType.h"
#include "token/CioKinds.h"
#include "token/PathText.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cctype>
#include <iostream>

namespace tool {

namespace {

// A compact security condition byte (ISO/IEC 7816-4).
std::string Condition(int c) {
    if (c == 0x00) {
        return "always";
    }
    if (c == 0xFF) {
        return "never";
    }
    std::string out = (c & 0x80) ? "all of:" : "one of:";
    out += (c & 0x40) ? " secure messaging" : "";
    out += (c & 0x20) ? " external authentication" : "";
    out += (c & 0x10) ? " user authentication" : "";
    return out + ((c & 0x0F) ? ", SE " + std::to_string(c & 0x0F) : "");
}

Json SecurityAttributes(const ias::CFileControlParameters& fcp) {
    static const char* const kEfOperations[] = {"READ BINARY",     "UPDATE BINARY", "WRITE BINARY",
                                                "DEACTIVATE FILE", "ACTIVATE FILE", "TERMINATE EF",
                                                "DELETE FILE"};
    const ias::CSecurityAttributeCompact sa = fcp.securityAttributeCompact();
    const ias::CBlob raw = sa;
    if (raw.size() == 0) {
        return Json();
    }
    Json rules = Json::object();
    for (int bit = 0; bit < 7; ++bit) {
        const std::pair<bool, int> c = sa.securityConditionByte(1 << bit);
        if (c.first) {
            rules[kEfOperations[bit]] = Condition(c.second);
        }
    }
    return Json{{"raw", token::Hex(raw)}, {"proprietary", sa.proprietary()}, {"rules", rules}};
}

Json ApplicationJson(const ias::CApplicationTemplate& t) {
    ias::CCiaPath path;
    path.setEfidOrPath(t.path());
    return Json{{"aid", HexOrNull(t.aid())},
                {"label", TextOrNull(t.label())},
                {"path", t.path().size() ? PathJson(path) : Json()},
                {"discretionaryData",
                 HexOrNull(t.discretionaryDOBerTlv().size() ? t.discretionaryDOBerTlv()
                                                            : t.discretionaryDONonBerTlv())}};
}

Json CiaInfoJson(const ias::CCiaInfoFile& info) {
    Json f;
    f["version"] = info.version();
    f["serialNumber"] = HexOrNull(info.serialNumber());
    f["manufacturerId"] = TextOrNull(info.manufacturerId());
    f["label"] = TextOrNull(info.label());
    f["cardflags"] = Bits(info.cardflags(), {"readonly", "authRequired", "prnGeneration"});
    f["seInfo"] = Json::array();
    for (const auto& se : info.seInfo()) {
        f["seInfo"].push_back(Json{{"se", se.se},
                                   {"owner", se.owner.empty() ? Json() : Json(se.owner)},
                                   {"aid", HexOrNull(se.aid)}});
    }
    static const char* const kRecords[] = {"od", "prkd", "pukd", "skd", "cd", "dcod", "aod"};
    f["recordInfo"] = Json::object();
    for (const auto& r : info.recordInfo()) {
        if (r.first >= 0 && r.first < 7) {
            f["recordInfo"][kRecords[r.first]] = r.second;
        }
    }
    f["supportedAlgorithms"] = Json::array();
    for (const auto& alg : info.supportedAlgorithms()) {
        f["supportedAlgorithms"].push_back(
            Json{{"reference", alg.reference},
                 {"algorithm", alg.algorithm},
                 {"parameters", HexOrNull(alg.parameters)},
                 {"supportedOperations",
                  Bits(alg.supportedOperations,
                       {"compute-checksum", "compute-signature", "verify-checksum",
                        "verify-signature", "encipher", "decipher", "hash", "generate-key"})},
                 {"objId", alg.objId},
                 {"algRef", alg.algRef < 0 ? Json() : Json(alg.algRef)}});
    }
    f["issuerId"] = TextOrNull(info.issuerId());
    f["holderId"] = TextOrNull(info.holderId());
    const ias::CCiaLastUpdate last = info.lastUpdate();
    f["lastUpdate"] = last.type() == 1   ? Json(last.generalizedTime())
                      : last.type() == 2 ? Json(token::PathText(last.path()))
                      : last.type() == 0 ? Json()
                                         : Json("type " + std::to_string(last.type()));
    f["preferredLanguage"] =
        info.preferredLanguage().empty() ? Json() : Json(info.preferredLanguage());
    f["profileIndication"] = Json::array();
    for (const auto& p : info.profileIndication()) {
        f["profileIndication"].push_back(
            Json{{p.first == ias::CCiaInfoFile::ProfileOID ? "oid" : "name", p.second}});
    }
    return f;
}

Json CardIdentity(Session& s) {
    const ias::CBlob atr = s.card().atr();
    const std::string name = CardName(atr);
    Json d;
    d["reader"] = s.readerName();
    d["atr"] = token::Hex(atr);
    d["cardName"] = name.empty() ? Json() : Json(name);
    return d;
}

// The problems of the file `f` (matched by name and path).
Json ProblemsOf(const token::Token& t, const token::FileRead& f) {
    Json out = Json::array();
    const std::string path = token::PathText(f.path);
    for (const token::Problem& p : t.problems()) {
        if (p.file == f.name && token::PathText(p.path) == path) {
            out.push_back(ProblemJson(p));
        }
    }
    return out;
}

bool Matches(const token::CioEntry& e, const std::string& which) {
    std::string upper = which;
    for (char& ch : upper) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return (!e.id.empty() && token::Hex(e.id) == upper) ||
           (!e.label.empty() && std::string(e.label.begin(), e.label.end()) == which);
}

// The entry of the kind `holds` whose ID (hex) or label is `which`.
const token::CioEntry& Find(const token::Token& t, const std::string& which, bool (*holds)(int),
                            const char* what) {
    for (const token::CioEntry& e : t.entries()) {
        if (holds(e.fileChoice) && Matches(e, which)) {
            return e;
        }
    }
    ReportProblems(t);
    throw Failure{t.complete() ? EXIT_USAGE : EXIT_PARTIAL,
                  std::string("no ") + what + " with id or label '" + Printable(which) + "'" +
                      (t.complete() ? "" : " among the objects the card gave")};
}

// The bytes an object value names: read from the card (exactly the part of
// the file its path gives), or the bytes themselves for a direct value.
token::Bytes ValueBytes(Session& s, const token::Token& t, const ias::CCioObjectValue& v,
                        const char* what) {
    if (v.type() != 1 && v.type() != 2) {
        throw Failure{EXIT_BAD_DATA, std::string(what) + " has no path to read"};
    }
    ias::CCiaPath path;
    try {
        if (v.type() == 2) {
            path = ias::CCiaPath(v.value());
            s.note("reading " + token::PathText(t.resolve(path)));
        }
        return t.objectValue(s.card(), v);
    } catch (const ias::CIASException& e) {
        throw Failed("reading " + std::string(what) + " at " + token::PathText(path), e);
    }
}

// `problems` and `complete`, over the whole CIA; `objectErrors`: an object
// whose attributes the library refused part way.
void AddProblems(Json& d, const token::Token& t, bool objectErrors = false) {
    d["problems"] = Json::array();
    for (const token::Problem& p : t.problems()) {
        d["problems"].push_back(ProblemJson(p));
    }
    d["complete"] = t.complete() && !objectErrors;
}

// An object (or file) the renderers marked with an error of its own.
bool HasError(const Json& j) {
    return j.contains("error");
}

} // namespace

const token::Token& ReadToken(Session& s, token::Token::Depth depth) {
    if (s.walked && (s.walkedDepth == token::Token::Everything || depth == s.walkedDepth)) {
        return *s.walked;
    }
    ias::CIASCard& card = s.card();
    s.note("library reads the CIA (its APDUs are not shown)");
    s.walked.reset(new token::Token(token::Token::read(card, depth)));
    s.walkedDepth = depth;
    return *s.walked;
}

Json FileJson(const token::FileRead& f) {
    static const char* const kStates[] = {"no information",
                                          "creation",
                                          "initialisation",
                                          "operational (activated)",
                                          "operational (deactivated)",
                                          "termination",
                                          "other"};
    Json j;
    j["file"] = f.name;
    j["path"] = PathJson(f.path);
    if (f.choice >= 0 && !(f.listed == f.path)) {
        j["listedPath"] = PathJson(f.listed);
    }
    if (f.sameAs >= 0) {
        j["sameAs"] = f.sameAs; // listed again: its objects are under that listing
    }
    j["size"] = f.selected ? Json(f.size) : Json();
    if (!f.selected) {
        j["fcp"] = nullptr;
        j["securityAttributes"] = nullptr;
        return j;
    }
    const ias::CFileControlParameters& fcp = f.fcp;
    const ias::CBlob sfi = fcp.shortFileIdentifier();
    const int state = fcp.state();
    j["fcp"] =
        Json{{"raw", token::Hex(fcp)},
             {"fileId", HexOrNull(fcp.fileIdentifier())},
             {"sfi", sfi.size() && sfi[0] != fcp.noShortFileID() ? Json(sfi[0] >> 3) : Json()},
             {"type", fcp.type() == ias::CFileControlParameters::ElementaryFile  ? "EF"
                      : fcp.type() == ias::CFileControlParameters::DedicatedFile ? "DF"
                                                                                 : "unknown"},
             {"state", kStates[state >= 0 && state <= 6 ? state : 6]}};
    j["securityAttributes"] = SecurityAttributes(fcp);
    return j;
}

Json ProblemJson(const token::Problem& p) {
    return Json{{"file", p.file},
                {"path", PathJson(p.path)},
                {"stage", token::Problem::stageName(p.stage)},
                {"sw", p.sw ? Json(token::Hex(token::Bytes{static_cast<unsigned char>(p.sw >> 8),
                                                           static_cast<unsigned char>(p.sw)}))
                            : Json()},
                {"pcsc", p.pcsc ? Json(PcscText(p.pcsc)) : Json()},
                {"message", p.message},
                {"offset", p.offset < 0 ? Json() : Json(p.offset)}};
}

std::string ProblemText(const token::Problem& p) {
    std::string out = p.file + " " + token::PathText(p.path) + ": ";
    out += token::Problem::stageName(p.stage);
    out += p.offset >= 0 ? " of the element at offset " + std::to_string(p.offset) : "";
    if (p.sw) {
        const std::string sw = token::Hex(
            token::Bytes{static_cast<unsigned char>(p.sw >> 8), static_cast<unsigned char>(p.sw)});
        return out + " failed: card answered " + sw + " (" + SwMeaning(p.sw) + ")";
    }
    if (p.pcsc) {
        return out + " failed: PC/SC error " + PcscText(p.pcsc);
    }
    return out + " failed: " + Printable(p.message);
}

int ExitFor(const token::Token& t, bool objectErrors) {
    return t.complete() && !objectErrors ? EXIT_OK : EXIT_PARTIAL;
}

void ReportProblems(const token::Token& t) {
    for (const token::Problem& p : t.problems()) {
        std::cerr << "ias-tool: " << ProblemText(p) << "\n";
    }
}

int Info(Session& s) {
    Json d = Document("info");
    d.update(CardIdentity(s));
    // Decided on this connection, from EF.DIR and EF.ATR/INFO: no second
    // connection as ias::IASGetVersion would open.
    const token::Token& t = ReadToken(s, token::Token::Application);
    const char* type = token::CardType::name(token::CardType::probe(s.card(), t));
    d["cardType"] = *type ? Json(type) : Json();
    const ias::CApplicationTemplate* app = t.application();
    d["application"] = app ? ApplicationJson(*app) : Json();
    if (app) {
        d["application"].erase("discretionaryData");
    }
    const ias::CCiaInfoFile* info = t.ciaInfo();
    d["ciaInfo"] = info ? Json{{"serialNumber", HexOrNull(info->serialNumber())},
                               {"manufacturerId", TextOrNull(info->manufacturerId())},
                               {"label", TextOrNull(info->label())},
                               {"version", info->version()}}
                        : Json();
    if (s.options().json) {
        AddProblems(d, t);
    } else {
        ReportProblems(t);
    }
    Print(d, s.options().json);
    return ExitFor(t, false);
}

int Dump(Session& s) {
    Json d = Document("dump");
    d.update(CardIdentity(s));
    const token::Token& t = ReadToken(s);
    Json files = Json::array();
    bool objectErrors = false;

    Json dir = FileJson(t.directory());
    dir["problems"] = ProblemsOf(t, t.directory());
    dir["applications"] = Json::array();
    for (const ias::CApplicationTemplate& a : t.applications()) {
        dir["applications"].push_back(ApplicationJson(a));
    }
    files.push_back(dir);

    if (!t.objectDirectory().name.empty()) {
        Json od = FileJson(t.objectDirectory());
        od["problems"] = ProblemsOf(t, t.objectDirectory());
        od["entries"] = Json::array();
        for (const auto& e : t.odEntries()) {
            od["entries"].push_back(Json{{"choice", e.first},
                                         {"kind", token::CioKinds::fileName(e.first)},
                                         {"path", PathJson(e.second)}});
        }
        files.push_back(od);
    }
    if (!t.ciaInfoFile().name.empty()) {
        Json info = FileJson(t.ciaInfoFile());
        info["problems"] = ProblemsOf(t, t.ciaInfoFile());
        if (t.ciaInfo()) {
            try {
                info.update(CiaInfoJson(*t.ciaInfo()));
            } catch (const ias::CIASException& e) {
                info["error"] = e.descriptionA();
                objectErrors = true;
            }
        }
        files.push_back(info);
    }
    for (std::size_t i = 0; i < t.files().size(); ++i) {
        const token::FileRead& f = t.files()[i];
        Json fj = FileJson(f);
        fj["problems"] = ProblemsOf(t, f);
        fj["objects"] = Json::array();
        for (const token::CioEntry& e : t.entries()) {
            if (e.file == i) {
                fj["objects"].push_back(EntryJson(t, e));
                objectErrors = objectErrors || (HasError(fj["objects"].back()) && e.error.empty());
            }
        }
        files.push_back(fj);
    }
    d["files"] = files;
    AddProblems(d, t, objectErrors);
    if (s.options().json) {
        Print(d, true);
    } else {
        PrintDumpText(d);
    }
    if (!t.complete() || objectErrors) {
        std::cerr << "ias-tool: some files or elements could not be read or decoded; "
                     "shown in place\n";
    }
    return ExitFor(t, objectErrors);
}

int List(Session& s, ListKind kind) {
    static const char* const kCommands[] = {"list-keys", "list-certs", "list-data", "list-pins"};
    static const char* const kMembers[] = {"keys", "certificates", "dataObjects", "pins"};
    static bool (*const kHolds[])(int) = {
        token::CioKinds::holdsKeys, token::CioKinds::holdsCertificates, token::CioKinds::holdsData,
        token::CioKinds::holdsAuthObjects};
    const int i = static_cast<int>(kind);
    Json d = Document(kCommands[i]);
    d["reader"] = s.readerName();
    const token::Token& t = ReadToken(s);
    d["reader"] = s.readerName();
    Json items = Json::array();
    bool objectErrors = false;
    for (const token::CioEntry& e : t.entries()) {
        if (!kHolds[i](e.fileChoice)) {
            continue;
        }
        const Json o = EntryJson(t, e);
        Json line{{"file", token::CioKinds::fileName(e.fileChoice)},
                  {"id", o["id"]},
                  {"label", o["label"]},
                  {"kind", o["kind"]},
                  {"decoded", o["decoded"]}};
        if (kind == ListKind::Keys) {
            line["size"] = o.value("size", Json());
            line["usage"] = o.value("usage", Json::array());
            line["keyReference"] = o.value("keyReference", Json());
        } else if (kind == ListKind::Certs) {
            line["subject"] = o.value("subject", Json());
            line["authority"] = o.value("authority", Json());
            line["path"] = o.contains("value") ? o["value"].value("path", Json()) : Json();
        } else if (kind == ListKind::Data) {
            line["applicationName"] = o.value("applicationName", Json());
            line["path"] = o.contains("value") ? o["value"].value("path", Json()) : Json();
        } else {
            line["reference"] = o.value("pwdReference", Json());
            line["flags"] = o.value("pwdFlags", Json::array());
        }
        if (kind != ListKind::Pins) {
            line["authId"] = o["authId"];
            line["pin"] = o["pin"];
        }
        if (HasError(o)) {
            line["error"] = o["error"];
            objectErrors = objectErrors || e.error.empty();
        }
        items.push_back(line);
    }
    d[kMembers[i]] = items;
    AddProblems(d, t, objectErrors);
    if (s.options().json) {
        Print(d, true);
    } else {
        for (const Json& line : items) {
            std::string text;
            for (auto it = line.begin(); it != line.end(); ++it) {
                const Json& v = it.value();
                if (v.is_null() || (v.is_array() && v.empty()) ||
                    (it.key() == "decoded" && v.get<bool>())) {
                    continue;
                }
                std::string value;
                if (v.is_array()) {
                    for (const Json& item : v) {
                        value += (value.empty() ? "" : ",") + Printable(item.get<std::string>());
                    }
                } else if (v.is_object()) { // a path
                    value = PathJsonText(v);
                } else if (it.key() == "reference" || it.key() == "keyReference") {
                    value = RefText(v.get<long>());
                } else {
                    value = v.is_string() ? "'" + Printable(v.get<std::string>()) + "'" : v.dump();
                    value = it.key() == "id" || it.key() == "authId" || it.key() == "file"
                                ? Printable(v.get<std::string>())
                                : value;
                }
                text += (text.empty() ? "" : "  ") + it.key() + "=" + value;
            }
            std::cout << text << "\n";
        }
        ReportProblems(t);
    }
    return ExitFor(t, objectErrors);
}

int ReadCert(Session& s, const std::string& which, bool der) {
    const token::Token& t = ReadToken(s);
    const token::CioEntry& e = Find(t, which, token::CioKinds::holdsCertificates, "certificate");
    const auto* x = e.as<ias::CCioX509Certificate>();
    if (!x) {
        throw Failure{EXIT_BAD_DATA, "the certificate '" + Printable(which) + "' is a " + e.kind +
                                         ", which libias does not decode"};
    }
    const token::Bytes bytes = ValueBytes(s, t, x->value(), "the certificate");
    const unsigned char* p = bytes.data();
    X509* cert = d2i_X509(nullptr, &p, static_cast<long>(bytes.size()));
    if (!cert) {
        throw Failure{EXIT_BAD_DATA, "the certificate '" + Printable(which) + "' is not X.509 DER"};
    }
    if (der) {
        unsigned char* out = nullptr;
        const int n = i2d_X509(cert, &out);
        std::cout.write(reinterpret_cast<const char*>(out), n > 0 ? n : 0);
        OPENSSL_free(out);
        X509_free(cert);
        return EXIT_OK;
    }
    auto text = [](void (*write)(BIO*, X509*), X509* c) {
        BIO* bio = BIO_new(BIO_s_mem());
        write(bio, c);
        char* data = nullptr;
        const long n = BIO_get_mem_data(bio, &data);
        std::string out(data, static_cast<std::size_t>(n > 0 ? n : 0));
        BIO_free(bio);
        return out;
    };
    auto name = [](X509_NAME* n) {
        unsigned char* encoded = nullptr;
        const int len = i2d_X509_NAME(n, &encoded);
        const Json j = NameText(token::Bytes(encoded, encoded + (len > 0 ? len : 0)));
        OPENSSL_free(encoded);
        return j;
    };
    EVP_PKEY* key = X509_get0_pubkey(cert);
    Json d = Document("read-cert");
    d["id"] = HexOrNull(e.id);
    d["label"] = TextOrNull(e.label);
    d["path"] = x->value().type() == 2 ? PathJson(ias::CCiaPath(x->value().value())) : Json();
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
                      << (d[k].is_string() ? Printable(d[k].get<std::string>()) : d[k].dump())
                      << "\n";
        }
        std::cout << d["pem"].get<std::string>();
    }
    return EXIT_OK;
}

int ReadData(Session& s, const std::string& which, const PinOptions& p, bool raw) {
    const token::Token& t = ReadToken(s);
    const token::CioEntry& e = Find(t, which, token::CioKinds::holdsData, "data object");
    if (!p.pin.empty()) {
        VerifyPin(s, p);
    }
    const ias::CCioObjectValue* value = nullptr;
    ias::CCioObjectValue held;
    if (const auto* o = e.as<ias::CCioOpaqueDO>()) {
        held = o->value();
        value = &held;
    } else if (const auto* i = e.as<ias::CCioIso7816DO>()) {
        held = i->value();
        value = &held;
    }
    if (!value) {
        throw Failure{EXIT_BAD_DATA, "the data object '" + Printable(which) + "' is a " + e.kind +
                                         ", whose value libias does not decode"};
    }
    // One element followed by a file's filler comes without the filler.
    const token::Bytes bytes = ValueBytes(s, t, *value, "the data object");
    if (raw) {
        std::cout.write(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<std::streamsize>(bytes.size()));
        return EXIT_OK;
    }
    Json d = Document("read-data");
    d["id"] = HexOrNull(e.id);
    d["label"] = TextOrNull(e.label);
    d["path"] = value->type() == 2 ? PathJson(ias::CCiaPath(value->value())) : Json();
    d["size"] = bytes.size();
    d["content"] = token::Hex(bytes);
    Print(d, s.options().json);
    return EXIT_OK;
}

unsigned char PinReference(Session& s, const std::string& text) {
    unsigned char reference = 0;
    if (ParsePinReference(text, reference)) {
        return reference;
    }
    const token::Token& t = ReadToken(s);
    for (const token::CioEntry& e : t.entries()) {
        const auto* pin = e.as<ias::CCioPasswordAuth>();
        if (!pin || e.fileChoice != 8 || std::string(e.label.begin(), e.label.end()) != text) {
            continue;
        }
        const long ref = pin->pwdReference();
        if (ref < 0 || ref > 0xFF) {
            throw Failure{EXIT_BAD_DATA, "the PIN '" + Printable(text) + "' has the reference " +
                                             std::to_string(ref) + ", which does not fit a byte"};
        }
        return static_cast<unsigned char>(ref);
    }
    throw Failure{EXIT_USAGE, "PIN '" + Printable(text) +
                                  "' is neither a reference byte (81, 0x81) nor a PIN label"};
}

} // namespace tool
