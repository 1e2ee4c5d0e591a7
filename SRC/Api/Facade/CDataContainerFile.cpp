#include <ias/CCioIso7816DO.h>
#include <ias/CCioOidDO.h>
#include <ias/CCioOpaqueDO.h>
#include <ias/CDataContainerFile.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioDataContainer.h"

namespace ias {

using Kind = IAS::CCioDataContainer;

struct CDataContainerFile::Views : CioViews<CCioDataContainer> {};

CDataContainerFile::CDataContainerFile()
    : CCiaFile(MakeOwned<IAS::CCiaFile, IAS::CCryptoInfoObjectFile<Kind>>()),
      m_views(MakeOwned<Views>()) {}

CDataContainerFile::CDataContainerFile(CIASCard& card, const CCiaPath& path)
    : CDataContainerFile() {
    open(card, path);
}

const CDataContainerFile::ObjectList& CDataContainerFile::objects() const {
    return PresentObjects<Kind>(
        *m_views, internalFile(), [](const Owned<Kind>& object, int choice) {
            switch (choice) {
            case -1:
                return Owned<CCioDataContainer>(new CCioOpaqueDO(object));
            case 0:
                return Owned<CCioDataContainer>(new CCioIso7816DO(object));
            case 1:
                return Owned<CCioDataContainer>(new CCioOidDO);
            default:
                InvalidChoice("Invalid data container type encountered", choice);
            }
        });
}

} // namespace ias
