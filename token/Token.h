// One card's CIA, read once: EF.DIR, the CIA application, EF.OD, EF.CIAInfo
// and every directory file EF.OD names, each element decoded on its own. A
// file or element that fails is recorded as a Problem and the walk goes on,
// so a client sees every object the card can give.
#ifndef TOKEN_TOKEN_H
#define TOKEN_TOKEN_H

#include "token/Bytes.h"
#include "token/CioEntry.h"
#include "token/Problem.h"

#include <ias/ias.h>

#include <memory>
#include <string>
#include <vector>

namespace token {

/// One file as the walk read it.
struct FileRead {
    std::string name;      ///< "EF.DIR", "PrKDF", ...
    int choice = -1;       ///< the EF.OD choice of a directory file, else -1
    ias::CCiaPath listed;  ///< the path as EF.OD gives it (directory files)
    ias::CCiaPath path;    ///< the path opened
    bool selected = false; ///< the card selected it: fcp and size are the card's
    bool read = false;     ///< content holds what the card returned
    ias::CFileControlParameters fcp;
    unsigned int size = 0; ///< from the FCP
    Bytes content;
    /// A directory file EF.OD lists again: the index in Token::files() of
    /// the first listing, which holds its content and objects; else -1.
    int sameAs = -1;
};

class Token {
public:
    /// How far a walk goes: the application (EF.OD selected, not read) and
    /// EF.CIAInfo, or everything.
    enum Depth { Application, Everything };

    Token() = default;

    /// Walks the card's CIA. Card and decoding failures are recorded in
    /// problems(), never thrown; only a failure to allocate escapes.
    static Token read(ias::CIASCard& card, Depth depth = Everything);

    const FileRead& directory() const { return m_dir; }
    const std::vector<ias::CApplicationTemplate>& applications() const { return m_apps; }
    /// The EF.DIR template of the application the walk read, or null: no
    /// template holds an EF.OD (the walk may then have found one at 3F00/5015:
    /// see objectDirectory().selected).
    const ias::CApplicationTemplate* application() const;
    /// Where EF.OD and EF.CIAInfo were opened from: the application's AID
    /// (tried first), or its path when the card refuses the AID.
    const ias::CCiaPath& applicationPath() const { return m_base; }
    bool byAid() const { return m_byAid; }

    /// EF.OD and its entries (EF.OD choice and path as listed), in file order.
    const FileRead& objectDirectory() const { return m_od; }
    const std::vector<std::pair<int, ias::CCiaPath>>& odEntries() const { return m_odEntries; }

    const FileRead& ciaInfoFile() const { return m_infoFile; }
    /// EF.CIAInfo decoded, or null.
    const ias::CCiaInfoFile* ciaInfo() const { return m_info.get(); }

    /// The directory files in EF.OD order, and their elements in file order.
    const std::vector<FileRead>& files() const { return m_files; }
    const std::vector<CioEntry>& entries() const { return m_entries; }
    const std::vector<Problem>& problems() const { return m_problems; }
    /// True when every file and element was read and decoded.
    bool complete() const { return m_problems.empty(); }

    /// A path as ISO/IEC 7816-15 means it: with an AID or from 3F00 it is
    /// absolute; any other path is relative to the DF that holds EF.OD.
    /// Index and length are kept. Throws ias::CIASException for a path the
    /// library cannot combine.
    ias::CCiaPath resolve(const ias::CCiaPath& path) const;
    /// Exactly the bytes `path` names (its index and length when it has
    /// them, else the whole file), read from the card. Throws ias::CIASException.
    Bytes readValue(ias::CIASCard& card, const ias::CCiaPath& path) const;
    /// The bytes an object's value gives: a direct value as it stands, a path
    /// through readValue. A direct value or a whole file (a path without an
    /// index) that holds one element and then only filler (00, FF) gives that
    /// element alone. Other kinds of value (URL, none): empty. Throws
    /// ias::CIASException.
    Bytes objectValue(ias::CIASCard& card, const ias::CCioObjectValue& value) const;

    /// The authentication object whose authId is `authId`, or null.
    const CioEntry* authObject(const Bytes& authId) const;
    /// The label of that object, or "" when there is none.
    std::string pinLabel(const Bytes& authId) const;

private:
    class Walk;

    FileRead m_dir;
    std::vector<ias::CApplicationTemplate> m_apps;
    int m_app = -1;
    ias::CCiaPath m_base;
    bool m_byAid = false;
    FileRead m_od;
    std::vector<std::pair<int, ias::CCiaPath>> m_odEntries;
    FileRead m_infoFile;
    std::shared_ptr<const ias::CCiaInfoFile> m_info;
    std::vector<FileRead> m_files;
    std::vector<CioEntry> m_entries;
    std::vector<Problem> m_problems;
};

} // namespace token

#endif
