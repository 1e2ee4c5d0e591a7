// readers, info and dump: the card's identity and its CIA files, read with the
// library's file readers.
#include "Tool.h"

namespace tool {

ias::CCiaPath Fid(const char* hex) {
    ias::CCiaPath p;
    p.setEfidOrPath(ias::_HB(hex));
    return p;
}

Json HexOrNull(const ias::CBlob& b) {
    return b.size() ? Json(Hex(b, "")) : Json();
}
Json TextOrNull(const ias::CBlob& b) {
    return b.size() ? Json(Text(b)) : Json();
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

namespace {

const char* const kPkcs15Aid = "A000000063504B43532D3135";

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
    return Json{{"raw", Hex(raw, "")}, {"proprietary", sa.proprietary()}, {"rules", rules}};
}

template <class F> auto Read(Session& s, const std::string& what, F f) -> decltype(f()) {
    s.note("library reads " + what + " (its APDUs are not shown)");
    try {
        return f();
    } catch (const ias::CIASException& e) {
        throw Failed("reading " + what, e);
    }
}

} // namespace

// What every file shows: its name, path, FCP and compact security attributes.
Json FileHeader(const char* name, const ias::CCiaFile& file) {
    static const char* const kStates[] = {"no information",
                                          "creation",
                                          "initialisation",
                                          "operational (activated)",
                                          "operational (deactivated)",
                                          "termination",
                                          "other"};
    const ias::CFileControlParameters& fcp = file.fileControlParameters();
    const ias::CCiaPath path = file.path();
    const ias::CBlob sfi = fcp.shortFileIdentifier();
    Json f;
    f["file"] = name;
    f["path"] = PathText(path);
    f["size"] = file.size();
    f["fcp"] =
        Json{{"raw", Hex(fcp, "")},
             {"fileId", HexOrNull(fcp.fileIdentifier())},
             {"sfi", sfi.size() && sfi[0] != fcp.noShortFileID() ? Json(sfi[0] >> 3) : Json()},
             {"type", fcp.type() == ias::CFileControlParameters::ElementaryFile  ? "EF"
                      : fcp.type() == ias::CFileControlParameters::DedicatedFile ? "DF"
                                                                                 : "unknown"},
             {"state", kStates[fcp.state()]}};
    f["securityAttributes"] = SecurityAttributes(fcp);
    return f;
}

// The CIA application: the PKCS #15 AID first, then the other templates in
// file order; the first whose EF.OD opens. A card that refuses absolute paths
// (SELECT of the MF refused) is asked by AID instead.
Application FindApplication(Session& s, const ias::CApplicationDirectoryFile& dir) {
    std::vector<ias::CApplicationTemplate> order;
    for (const ias::CApplicationTemplate& t : dir.applicationTemplates()) {
        const bool pkcs15 = Hex(t.aid(), "") == kPkcs15Aid;
        order.insert(pkcs15 ? order.begin() : order.end(), t);
    }
    for (const ias::CApplicationTemplate& t : order) {
        for (int byAid = 0; byAid < 2; ++byAid) {
            ias::CCiaPath base;
            if (byAid ? t.aid().size() == 0 : t.path().size() == 0) {
                continue;
            }
            byAid ? base.setAid(t.aid()) : base.setEfidOrPath(t.path());
            try {
                s.note("trying EF.OD at " + PathText(base + Fid("5031")));
                ias::CObjectDirectoryFile probe(s.card(), base + Fid("5031"));
                return Application{t, base, byAid == 1};
            } catch (const ias::CIASException& e) {
                s.note(Failed("not there", e).message);
            }
        }
    }
    throw Failure{EXIT_BAD_DATA, "EF.DIR names no application holding an EF.OD (5031)"};
}

// A path from EF.OD, rewritten below the AID when the application was reached
// by AID and the path runs through the application's own DF.
ias::CCiaPath Resolve(const Application& a, const ias::CCiaPath& p) {
    const std::string df = Hex(a.app.path(), ""), fids = Hex(p.efidOrPath(), "");
    if (!a.byAid || p.aid().size() || df.empty() || fids.compare(0, df.size(), df) != 0 ||
        fids.size() == df.size()) {
        return p;
    }
    ias::CCiaPath r = a.base;
    r.setEfidOrPath(ias::_HB(fids.substr(df.size())));
    r.setIndex(p.index());
    r.setLength(p.length());
    return r;
}

const char* CioKind(int choice) {
    static const char* const kKinds[] = {"PrKDF",        "PuKDF", "PuKDF (trusted)",
                                         "SKDF",         "CDF",   "CDF (trusted)",
                                         "CDF (useful)", "DODF",  "AODF"};
    return choice >= 0 && choice <= 8 ? kKinds[choice] : "unknown";
}

Cia ReadCia(Session& s, const Application* a, const ias::CObjectDirectoryFile::CioFileList* od) {
    Application found;
    ias::CObjectDirectoryFile::CioFileList list;
    if (!a) {
        ias::CApplicationDirectoryFile dir;
        ias::CObjectDirectoryFile odFile;
        Read(s, "EF.DIR and EF.OD", [&] {
            dir = ias::CApplicationDirectoryFile(s.card());
            dir.load();
            found = FindApplication(s, dir);
            odFile = ias::CObjectDirectoryFile(s.card(), found.base + Fid("5031"));
            odFile.load();
            list = odFile.cioFiles();
            return 0;
        });
        a = &found;
        od = &list;
    }
    Cia cia;
    cia.app = *a;
    for (const auto& e : *od) {
        CioFile f{e.first, ias::CCiaFile(), ias::CBlob()};
        Read(s, CioKind(e.first), [&] {
            f.file.open(s.card(), Resolve(*a, e.second));
            f.file.load();
            f.bytes = f.file;
            return 0;
        });
        cia.files.push_back(f);
    }
    for (const CioFile& f : cia.files) {
        if (f.choice != 8) {
            continue;
        }
        ias::CAuthObjectFile aodf;
        try {
            aodf.load(f.bytes);
        } catch (const ias::CIASException&) {
            // The objects before the bad element still name their PINs;
            // dump reports the failure.
        }
        for (const ias::CCioAuthentication* o : aodf.objects()) {
            cia.pins.emplace_back(Hex(o->authId(), ""), Text(o->label()));
        }
    }
    return cia;
}

namespace {

Json ApplicationJson(const ias::CApplicationTemplate& t) {
    return Json{{"aid", HexOrNull(t.aid())},
                {"label", TextOrNull(t.label())},
                {"path", t.path().size()
                             ? Json(PathText(ias::CCiaPath(Fid(Hex(t.path(), "").c_str()))))
                             : Json()},
                {"discretionaryData",
                 HexOrNull(t.discretionaryDOBerTlv().size() ? t.discretionaryDOBerTlv()
                                                            : t.discretionaryDONonBerTlv())}};
}

// One function per file kind: it opens and loads the file and describes it.
Json DumpDir(Session& s, ias::CApplicationDirectoryFile& dir) {
    Read(s, "EF.DIR", [&] {
        dir = ias::CApplicationDirectoryFile(s.card());
        dir.load();
        return 0;
    });
    Json f = FileHeader("EF.DIR", dir);
    f["applications"] = Json::array();
    for (const ias::CApplicationTemplate& t : dir.applicationTemplates()) {
        f["applications"].push_back(ApplicationJson(t));
    }
    return f;
}

Json DumpOd(Session& s, const Application& a, ias::CObjectDirectoryFile::CioFileList& list) {
    ias::CObjectDirectoryFile od;
    Read(s, "EF.OD", [&] {
        od = ias::CObjectDirectoryFile(s.card(), a.base + Fid("5031"));
        od.load();
        return 0;
    });
    Json f = FileHeader("EF.OD", od);
    f["entries"] = Json::array();
    list = od.cioFiles();
    for (const auto& e : list) {
        f["entries"].push_back(Json{{"choice", static_cast<int>(e.first)},
                                    {"kind", CioKind(e.first)},
                                    {"path", PathText(e.second)}});
    }
    return f;
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
        f["recordInfo"][kRecords[r.first]] = r.second;
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
                      : last.type() == 2 ? Json(PathText(last.path()))
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

ias::CCiaInfoFile LoadCiaInfo(Session& s, const Application& a) {
    return Read(s, "EF.CIAInfo", [&] {
        ias::CCiaInfoFile info(s.card(), a.base + Fid("5032"));
        info.load();
        return info;
    });
}

Json CardIdentity(Session& s) {
    ias::CIASCard& card = s.card();
    const ias::CBlob atr = card.atr();
    const std::string name = CardName(atr);
    Json d;
    d["reader"] = s.readerName();
    d["atr"] = Hex(atr, "");
    d["cardName"] = name.empty() ? Json() : Json(name);
    return d;
}

} // namespace

int Readers(Session& s) {
    Json d = Document("readers");
    d["readers"] = Json::array();
    const std::vector<std::string> names = s.readers();
    for (std::size_t i = 0; i < names.size(); ++i) {
        ias::CIASCard card;
        Json r{{"index", i}, {"name", names[i]}, {"card", s.tryConnect(names[i], card)}};
        if (r["card"].get<bool>()) {
            const ias::CBlob atr = card.atr();
            const std::string name = CardName(atr);
            r["atr"] = Hex(atr, "");
            r["cardName"] = name.empty() ? Json() : Json(name);
        }
        d["readers"].push_back(r);
    }
    Print(d, s.options().json);
    return names.empty() ? EXIT_NO_CARD : EXIT_OK;
}

int Info(Session& s) {
    Json d = Document("info");
    d.update(CardIdentity(s));
    std::vector<char> reader(s.readerName().begin(), s.readerName().end());
    reader.push_back('\0');
    ias::IasVersion version = 0;
    try {
        ias::IASGetVersion(reader.data(), version);
        d["cardType"] = version == ias::IAS_VERSION_IASECC ? "IAS ECC" : "IAS";
    } catch (...) {
        // IASGetVersion throws types an application cannot name: the card is
        // not one the configuration lists, or has no IAS application.
        d["cardType"] = nullptr;
    }
    ias::CApplicationDirectoryFile dir;
    Read(s, "EF.DIR", [&] {
        dir = ias::CApplicationDirectoryFile(s.card());
        dir.load();
        return 0;
    });
    const Application a = FindApplication(s, dir);
    d["application"] = ApplicationJson(a.app);
    d["application"].erase("discretionaryData");
    const ias::CCiaInfoFile info = LoadCiaInfo(s, a);
    d["ciaInfo"] = Json{{"serialNumber", HexOrNull(info.serialNumber())},
                        {"manufacturerId", TextOrNull(info.manufacturerId())},
                        {"label", TextOrNull(info.label())},
                        {"version", info.version()}};
    Print(d, s.options().json);
    return EXIT_OK;
}

int Dump(Session& s) {
    Json d = Document("dump");
    d.update(CardIdentity(s));
    d["files"] = Json::array();
    ias::CApplicationDirectoryFile dir;
    d["files"].push_back(DumpDir(s, dir));
    const Application a = FindApplication(s, dir);
    ias::CObjectDirectoryFile::CioFileList list;
    d["files"].push_back(DumpOd(s, a, list));
    const ias::CCiaInfoFile info = LoadCiaInfo(s, a);
    Json f = FileHeader("EF.CIAInfo", info);
    f.update(CiaInfoJson(info));
    d["files"].push_back(f);
    // Every object of every directory file; a file that fails part way still
    // shows what decoded before the bad element, and the command then fails.
    const Cia cia = ReadCia(s, &a, &list);
    std::string failures;
    for (const CioFile& c : cia.files) {
        Json cf = FileHeader(CioKind(c.choice), c.file);
        CioContent content = Describe(cia, c);
        cf["objects"] = content.objects;
        cf["undecoded"] = content.undecoded;
        cf["error"] = content.failure.empty() ? Json() : Json(content.failure);
        d["files"].push_back(cf);
        failures += failures.empty() || content.failure.empty() ? "" : "\n";
        failures += content.failure;
    }
    Print(d, s.options().json);
    if (!failures.empty()) {
        throw Failure{EXIT_BAD_DATA, failures};
    }
    return EXIT_OK;
}

} // namespace tool
