#include <ias/CApplicationDirectoryFile.h>

#include "Api/Facade/Facade.h"
#include "Cia/CApplicationDirectoryFile.h"

namespace ias {

namespace {
// Readers opened on a handle refuse one that was never connected.
CIASCard& connected(CIASCard& card) {
    if (card.getPCSCHandle() == 0) {
        throw CIASException(CIASException::IAS_ERR_LIBRARY, 5, "No card handle defined", 0);
    }
    return card;
}
} // namespace

struct CApplicationDirectoryFile::Views {
    std::vector<CApplicationTemplate> templates;
};

CApplicationDirectoryFile::CApplicationDirectoryFile()
    : CCiaFile(MakeOwned<IAS::CCiaFile, IAS::CApplicationDirectoryFile>()),
      m_views(MakeOwned<Views>()) {}

CApplicationDirectoryFile::CApplicationDirectoryFile(CIASCard& card) : CApplicationDirectoryFile() {
    CCiaPath path;
    path.setEfidOrPath(_HB("2F00"));
    open(connected(card), path);
}

CApplicationDirectoryFile::CApplicationDirectoryFile(CIASCard& card, const CCiaPath& path)
    : CApplicationDirectoryFile() {
    open(connected(card), path);
}

const std::vector<CApplicationTemplate>& CApplicationDirectoryFile::applicationTemplates() const {
    return Guarded([&]() -> const std::vector<CApplicationTemplate>& {
        const auto& file = FileAs<IAS::CApplicationDirectoryFile>(internalFile());
        RebuildViews(m_views->templates, file.applicationTemplates(),
                     [](const IAS::CApplicationTemplate& t) { return CApplicationTemplate(t); });
        return m_views->templates;
    });
}

} // namespace ias
