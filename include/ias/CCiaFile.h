#ifndef IAS_CCIAFILE_H
#define IAS_CCIAFILE_H

#include <ias/CBlob.h>
#include <ias/CCiaPath.h>
#include <ias/CFileControlParameters.h>
#include <ias/CIASCard.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCiaFile;
}

namespace ias {

/// A file of the card's CIA, read the way every CIA file is: opened by path
/// (one SELECT returning the FCP, served from the handle's selection cache
/// when the file is already selected), then loaded from the card (READ BINARY
/// in chunks) or from bytes the application holds. The file readers of EF.DIR,
/// EF.OD, EF.CIAInfo and the CIO directory files derive from it. Every
/// operation throws ias::CIASException on failure. A reader of one kind
/// assigned over another through this base class refuses every call of the
/// derived kind with "Illegal parameter in function call.".
class IAS_API CCiaFile {
public:
    /// An unopened file: no card, default path and FCP, empty content.
    CCiaFile();
    /// CCiaFile() then open(card, path).
    CCiaFile(CIASCard& card, const CCiaPath& path);
    virtual ~CCiaFile();

    /// Selects `path` on the card and keeps its FCP. Anything but a transparent
    /// EF: "File type not consistent with usage.". A path without both index
    /// and length means the whole file (index 0, length the FCP size).
    virtual void open(CIASCard& card, const CCiaPath& path);
    /// Takes `bytes` as the file's content and parses it; sends nothing. A
    /// parse failure throws and keeps the previous content.
    virtual void load(const CBlob& bytes);
    /// Reads the whole file from the card again and parses it: SELECT and READ
    /// BINARY in one PC/SC transaction, the application's own (see
    /// CIASCard::beginTransaction) or one of the load's, which selects the
    /// file again. Never opened: "An unknown error occurred.".
    virtual void load();
    /// The FCP the card returned when the file was opened.
    virtual const CFileControlParameters& fileControlParameters() const;
    /// The content of the last load; file kinds return their re-encoding.
    virtual operator CBlob() const;
    /// The path as opened, with index and length set.
    virtual CCiaPath path() const;
    /// The file size from the FCP (0 before open).
    virtual unsigned int size() const;

protected:
    struct Record;
    /// For file kinds: `file` is the internal reader that parses this kind.
    explicit CCiaFile(const Owned<IAS::CCiaFile>& file);
    IAS::CCiaFile& internalFile() const;

private:
    Owned<Record> m_rec;
};

} // namespace ias

#endif
