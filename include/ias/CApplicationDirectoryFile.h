#ifndef IAS_CAPPLICATIONDIRECTORYFILE_H
#define IAS_CAPPLICATIONDIRECTORYFILE_H

#include <ias/CApplicationTemplate.h>
#include <ias/CCiaFile.h>

#include <vector>

namespace ias {

/// EF.DIR (2F00), the card's application directory. Throws ias::CIASException.
class IAS_API CApplicationDirectoryFile : public CCiaFile {
public:
    /// Unopened, no templates; load(bytes) parses without a card.
    CApplicationDirectoryFile();
    /// Opens 2F00 on `card`. A handle without a PC/SC card handle: class 0,
    /// code 5, "No card handle defined".
    explicit CApplicationDirectoryFile(CIASCard& card);
    /// The same check, then opens `path`.
    CApplicationDirectoryFile(CIASCard& card, const CCiaPath& path);

    /// The application templates of the last load, in file order (elements
    /// other than 61 skipped). The vector is owned by this reader and refilled
    /// on each call.
    const std::vector<CApplicationTemplate>& applicationTemplates() const;

private:
    struct Views;
    Owned<Views> m_views;
};

} // namespace ias

#endif
