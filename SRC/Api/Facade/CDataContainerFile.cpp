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

namespace {
// oidDO has no internal object (the library does not decode it): an empty one.
Owned<CCioDataContainer> EmptyOidDO(const Owned<Kind>&) {
    return Owned<CCioDataContainer>(new CCioOidDO);
}
} // namespace

const CDataContainerFile::ObjectList& CDataContainerFile::objects() const {
    static const PresentedKind<Kind, CCioDataContainer> kinds[] = {
        {-1, ViewOf<CCioDataContainer, CCioOpaqueDO>},
        {0, ViewOf<CCioDataContainer, CCioIso7816DO>},
        {1, EmptyOidDO},
    };
    return PresentObjects(*m_views, internalFile(), kinds);
}

} // namespace ias
