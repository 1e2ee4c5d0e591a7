#include "token/Token.h"

#include "token/CardTransaction.h"
#include "token/CioKinds.h"
#include "token/DerReader.h"
#include "token/PathText.h"

#include <algorithm>
#include <exception>
#include <map>
#include <new>

namespace token {

namespace {

const unsigned char kPkcs15Aid[] = {0xA0, 0x00, 0x00, 0x00, 0x63, 0x50,
                                    0x4B, 0x43, 0x53, 0x2D, 0x31, 0x35};

ias::CCiaPath Fid(const char* hex) {
    ias::CCiaPath p;
    p.setEfidOrPath(ias::_HB(hex));
    return p;
}

bool IsAbsolute(const ias::CCiaPath& p) {
    const ias::CBlob fids = p.efidOrPath();
    return p.aid().size() > 0 || (fids.size() >= 2 && fids[0] == 0x3F && fids[1] == 0x00);
}

Problem ProblemOf(const FileRead& f, Problem::Stage stage, const ias::CIASException& e) {
    Problem p;
    p.file = f.name;
    p.path = f.path;
    p.stage = stage;
    p.sw = e.sw();
    p.pcsc = (e.error() & 0xFFFFFF00UL) == 0x80100000UL ? e.error() : 0;
    p.message = e.descriptionA();
    return p;
}

Problem ProblemOf(const FileRead& f, Problem::Stage stage, const std::string& message) {
    Problem p;
    p.file = f.name;
    p.path = f.path;
    p.stage = stage;
    p.message = message;
    return p;
}

// The common attributes every CIO carries, read with bounds checks alone:
// label, authId from the first SEQUENCE, the ID from the second.
void ReadCommonAttributes(const DerReader::Element& element, CioEntry& e) {
    if (!element.constructed) {
        return;
    }
    DerReader parts = element.children();
    DerReader::Element common, classAttributes, item;
    if (!parts.next(common) || common.firstByte != 0x30) {
        return;
    }
    DerReader attributes = common.children();
    while (attributes.next(item)) {
        if (item.firstByte == 0x0C && e.label.empty()) {
            e.label.assign(item.contents, item.contents + item.length);
        } else if (item.firstByte == 0x04 && e.authId.empty()) {
            e.authId.assign(item.contents, item.contents + item.length);
        }
    }
    if (parts.next(classAttributes) && classAttributes.firstByte == 0x30) {
        DerReader members = classAttributes.children();
        if (members.find(0x04, item)) {
            e.id.assign(item.contents, item.contents + item.length);
        }
    }
}

// Decodes one element with the library's reader for its file kind; the
// reader is kept alive by the entry, which points at its one object.
template <class File> void Decode(const Bytes& der, CioEntry& e) {
    auto file = std::make_shared<File>();
    file->load(ToBlob(der));
    const auto& objects = file->objects();
    if (!objects.empty()) {
        e.object = objects.front();
        e.owner = file;
    }
}

void DecodeEntry(CioEntry& e) {
    switch (e.fileChoice) {
    case 0:
        Decode<ias::CPrivateKeyFile>(e.der, e);
        break;
    case 1:
    case 2:
        Decode<ias::CPublicKeyFile>(e.der, e);
        break;
    case 4:
    case 5:
    case 6:
        Decode<ias::CCertificateFile>(e.der, e);
        break;
    case 7:
        Decode<ias::CDataContainerFile>(e.der, e);
        break;
    case 8:
        Decode<ias::CAuthObjectFile>(e.der, e);
        break;
    default:
        break;
    }
}

} // namespace

// The walk's state on one card: opens and reads files, recording problems.
class Token::Walk {
public:
    Walk(Token& t, ias::CIASCard& card) : m_t(t), m_card(card) {}

    void run(Depth depth) {
        directory();
        if (!application(depth == Everything)) {
            return;
        }
        ciaInfo();
        if (depth == Everything) {
            directoryFiles();
        }
    }

private:
    // SELECT: true when the card selected the file; its FCP is kept.
    bool open(FileRead& f, ias::CCiaFile& file, bool quiet = false) {
        try {
            file.open(m_card, f.path);
            f.selected = true;
            f.fcp = file.fileControlParameters();
            f.size = file.size();
            return true;
        } catch (const ias::CIASException& e) {
            if (!quiet) {
                m_t.m_problems.push_back(ProblemOf(f, Problem::Select, e));
            } else {
                m_lastRefusal = ProblemOf(f, Problem::Select, e);
            }
        }
        return false;
    }

    // READ BINARY of the whole file (or the part the path names).
    bool load(FileRead& f, ias::CCiaFile& file) {
        try {
            file.load();
            f.content = ToBytes(file);
            f.read = true;
            return true;
        } catch (const ias::CIASException& e) {
            m_t.m_problems.push_back(ProblemOf(f, Problem::Read, e));
        }
        return false;
    }

    bool readFile(FileRead& f) {
        ias::CCiaFile file;
        return open(f, file) && load(f, file);
    }

    // Each top-level element of a file on its own, filler skipped; a
    // malformed layout ends the split with a problem at its offset.
    template <class Each> void split(const FileRead& f, Each each) {
        DerReader r(f.content.data(), f.content.size());
        DerReader::Element e;
        for (r.skipFiller(); !r.atEnd(); r.skipFiller()) {
            if (!r.next(e)) {
                Problem p = ProblemOf(f, Problem::Decode,
                                      "malformed element (its tag or length runs past the file)");
                p.offset = static_cast<long>(r.offset());
                m_t.m_problems.push_back(p);
                return;
            }
            each(e);
        }
    }

    void decodeProblem(const FileRead& f, const DerReader::Element& e, const std::string& m) {
        Problem p = ProblemOf(f, Problem::Decode, m);
        p.offset = static_cast<long>(e.offset);
        m_t.m_problems.push_back(p);
    }

    // One element through the library's reader `one`; a refusal is a problem.
    template <class File>
    bool decodeAlone(const FileRead& f, const DerReader::Element& e, File& one) {
        try {
            one.load(ToBlob(e.begin(), e.size));
            return true;
        } catch (const ias::CIASException& x) {
            decodeProblem(f, e, x.descriptionA());
            return false;
        }
    }

    void directory() {
        FileRead& f = m_t.m_dir;
        f.name = "EF.DIR";
        f.path = Fid("2F00"); // from the MF, as the library selects it
        if (!readFile(f)) {
            return;
        }
        split(f, [&](const DerReader::Element& e) {
            ias::CApplicationDirectoryFile one;
            if (!decodeAlone(f, e, one)) {
                return;
            }
            for (const ias::CApplicationTemplate& t : one.applicationTemplates()) {
                m_t.m_apps.push_back(t);
            }
        });
    }

    // Tries EF.OD in each candidate application, PKCS #15 first, by AID and
    // then by path; the first that opens is the application. The AID costs
    // one SELECT on every card, where a path from the MF costs a refused
    // SELECT and a warm reset on a card that wants another P1 for the MF.
    // Without EF.DIR, the usual place 3F00/5015.
    // `entries`: read EF.OD's content too (a walk that stops at EF.CIAInfo
    // only needs to know where EF.OD is).
    bool application(bool entries) {
        std::vector<std::pair<int, ias::CCiaPath>> candidates;
        for (std::size_t i = 0; i < m_t.m_apps.size(); ++i) {
            const ias::CApplicationTemplate& t = m_t.m_apps[i];
            const ias::CBlob aid = t.aid();
            const bool pkcs15 = aid == ias::CBlob(std::string(kPkcs15Aid, kPkcs15Aid + 12));
            std::vector<std::pair<int, ias::CCiaPath>> mine;
            if (aid.size() > 0) {
                ias::CCiaPath p;
                p.setAid(aid);
                mine.emplace_back(static_cast<int>(i), p);
            }
            if (t.path().size() >= 2) {
                ias::CCiaPath p;
                p.setEfidOrPath(t.path());
                mine.emplace_back(static_cast<int>(i), p);
            }
            candidates.insert(pkcs15 ? candidates.begin() : candidates.end(), mine.begin(),
                              mine.end());
        }
        if (m_t.m_apps.empty()) {
            candidates.emplace_back(-1, Fid("3F005015"));
        }
        FileRead& od = m_t.m_od;
        od.name = "EF.OD";
        ias::CCiaFile file;
        for (const auto& c : candidates) {
            try {
                od.path = c.second + Fid("5031");
            } catch (const ias::CIASException& e) {
                m_lastRefusal = ProblemOf(od, Problem::Select, e);
                continue;
            }
            if (open(od, file, true)) {
                m_t.m_app = c.first;
                m_t.m_base = c.second;
                m_t.m_byAid = c.second.aid().size() > 0;
                break;
            }
        }
        if (!od.selected) {
            if (candidates.empty()) {
                m_t.m_problems.push_back(
                    ProblemOf(od, Problem::Select, "EF.DIR names no application"));
            } else {
                m_lastRefusal.message =
                    "no application holds EF.OD (last tried: " + m_lastRefusal.message + ")";
                m_t.m_problems.push_back(m_lastRefusal);
            }
            return false;
        }
        if (!entries || !load(od, file)) {
            return true; // EF.CIAInfo may still be there
        }
        split(od, [&](const DerReader::Element& e) {
            ias::CObjectDirectoryFile one;
            if (!decodeAlone(od, e, one)) {
                return;
            }
            if (one.cioFiles().empty()) {
                decodeProblem(od, e, "entry without a path (objects held in EF.OD are not read)");
            }
            for (const auto& entry : one.cioFiles()) {
                m_t.m_odEntries.emplace_back(static_cast<int>(entry.first), entry.second);
            }
        });
        return true;
    }

    void ciaInfo() {
        FileRead& f = m_t.m_infoFile;
        f.name = "EF.CIAInfo";
        f.path = m_t.m_base + Fid("5032");
        if (!readFile(f)) {
            return;
        }
        auto info = std::make_shared<ias::CCiaInfoFile>();
        try {
            info->load(ToBlob(f.content));
            m_t.m_info = info;
        } catch (const ias::CIASException& e) {
            Problem p = ProblemOf(f, Problem::Decode, e);
            p.offset = 0;
            m_t.m_problems.push_back(p);
        }
    }

    void directoryFiles() {
        // A file EF.OD names twice is read once.
        std::map<std::string, std::size_t> seen;
        for (const auto& listed : m_t.m_odEntries) {
            FileRead f;
            f.choice = listed.first;
            f.name = CioKinds::fileName(listed.first);
            f.listed = listed.second;
            try {
                f.path = m_t.resolve(listed.second);
            } catch (const ias::CIASException& e) {
                f.path = listed.second;
                m_t.m_problems.push_back(ProblemOf(f, Problem::Select, e));
                m_t.m_files.push_back(f);
                continue;
            }
            const std::string key = PathText(f.path);
            const auto again = seen.find(key);
            if (again != seen.end()) {
                // Listed again: the objects are those of the first listing.
                const FileRead& first = m_t.m_files[again->second];
                f.selected = first.selected;
                f.fcp = first.fcp;
                f.size = first.size;
                f.sameAs = static_cast<int>(again->second);
                m_t.m_files.push_back(f);
                continue;
            }
            seen[key] = m_t.m_files.size();
            readFile(f);
            m_t.m_files.push_back(f);
            if (f.read) {
                elements(m_t.m_files.size() - 1);
            }
        }
    }

    void elements(std::size_t index) {
        const FileRead& f = m_t.m_files[index];
        split(f, [&](const DerReader::Element& element) {
            CioEntry e;
            e.fileChoice = f.choice;
            e.file = index;
            e.offset = element.offset;
            e.choice = CioKinds::elementChoice(element.firstByte);
            e.kind = CioKinds::kindName(f.choice, e.choice, element.firstByte);
            e.der.assign(element.begin(), element.begin() + element.size);
            ReadCommonAttributes(element, e);
            if (CioKinds::decoded(f.choice, e.choice)) {
                try {
                    DecodeEntry(e);
                } catch (const ias::CIASException& x) {
                    e.error = x.descriptionA();
                    decodeProblem(f, element, e.kind + ": " + e.error);
                }
            }
            m_t.m_entries.push_back(std::move(e));
        });
    }

    Token& m_t;
    ias::CIASCard& m_card;
    Problem m_lastRefusal;
};

Token Token::read(ias::CIASCard& card, Depth depth) {
    Token t;
    const CardTransaction transaction(card); // one state of the card, each file selected once
    Walk(t, card).run(depth);
    return t;
}

const ias::CApplicationTemplate* Token::application() const {
    return m_app >= 0 ? &m_apps[static_cast<std::size_t>(m_app)] : nullptr;
}

ias::CCiaPath Token::resolve(const ias::CCiaPath& path) const {
    if (!IsAbsolute(path)) {
        return path.relativeToEF(m_od.path);
    }
    // Reached by AID: a path through the application's DF is taken below the
    // AID, as a card that refuses paths from the MF wants it.
    const ias::CApplicationTemplate* app = application();
    if (!m_byAid || !app || path.aid().size() > 0) {
        return path;
    }
    // Compared and cut as Bytes: a path from the card may be longer than a
    // blob can be cut.
    const Bytes df = ToBytes(app->path()), fids = ToBytes(path.efidOrPath());
    if (df.size() < 2 || fids.size() <= df.size() ||
        !std::equal(df.begin(), df.end(), fids.begin())) {
        return path;
    }
    ias::CCiaPath rest;
    rest.setEfidOrPath(ToBlob(fids.data() + df.size(), fids.size() - df.size()));
    ias::CCiaPath out = m_base + rest;
    out.setIndex(path.index());
    out.setLength(path.length());
    return out;
}

Bytes Token::readValue(ias::CIASCard& card, const ias::CCiaPath& path) const {
    const CardTransaction transaction(card); // the SELECT of open() is the one the read uses
    ias::CCiaFile file;
    file.open(card, resolve(path));
    file.load();
    return ToBytes(file);
}

Bytes Token::objectValue(ias::CIASCard& card, const ias::CCioObjectValue& value) const {
    Bytes bytes;
    bool whole = true;
    if (value.type() == 1) {
        bytes = ToBytes(value.value());
    } else if (value.type() == 2) {
        const ias::CCiaPath path(value.value());
        whole = path.index() < 0;
        bytes = readValue(card, path);
    }
    DerReader r(bytes.data(), bytes.size());
    DerReader::Element first;
    if (whole && r.next(first)) {
        r.skipFiller();
        if (r.atEnd()) {
            bytes.resize(first.size);
        }
    }
    return bytes;
}

const CioEntry* Token::authObject(const Bytes& authId) const {
    if (authId.empty()) {
        return nullptr;
    }
    for (const CioEntry& e : m_entries) {
        if (e.fileChoice == 8 && e.id == authId) {
            return &e;
        }
    }
    return nullptr;
}

std::string Token::pinLabel(const Bytes& authId) const {
    const CioEntry* e = authObject(authId);
    return e ? std::string(e->label.begin(), e->label.end()) : std::string();
}

} // namespace token
