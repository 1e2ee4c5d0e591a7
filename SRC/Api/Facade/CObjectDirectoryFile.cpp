#include <ias/CObjectDirectoryFile.h>

#include "Api/Facade/Facade.h"
#include "Cia/CObjectDirectoryFile.h"

namespace ias {

struct CObjectDirectoryFile::Views {
    CioFileList files;
};

CObjectDirectoryFile::CObjectDirectoryFile()
    : CCiaFile(MakeOwned<IAS::CCiaFile, IAS::CObjectDirectoryFile>()), m_views(MakeOwned<Views>()) {
}

CObjectDirectoryFile::CObjectDirectoryFile(CIASCard& card, const CCiaPath& path)
    : CObjectDirectoryFile() {
    open(card, path);
}

const CObjectDirectoryFile::CioFileList& CObjectDirectoryFile::cioFiles() const {
    return Guarded([&]() -> const CioFileList& {
        const auto& file = FileAs<IAS::CObjectDirectoryFile>(internalFile());
        RebuildViews(m_views->files, file.cioFiles(),
                     [](const IAS::CObjectDirectoryFile::Entry& e) {
                         return std::make_pair(static_cast<CioChoice>(e.first), CCiaPath(e.second));
                     });
        return m_views->files;
    });
}

} // namespace ias
