#include <ias/CAuthObjectFile.h>
#include <ias/CCioPasswordAuth.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioAuthentication.h"

namespace ias {

using Kind = IAS::CCioAuthentication;

struct CAuthObjectFile::Views : CioViews<CCioAuthentication> {};

CAuthObjectFile::CAuthObjectFile()
    : CCiaFile(MakeOwned<IAS::CCiaFile, IAS::CCryptoInfoObjectFile<Kind>>()),
      m_views(MakeOwned<Views>()) {}

CAuthObjectFile::CAuthObjectFile(CIASCard& card, const CCiaPath& path) : CAuthObjectFile() {
    open(card, path);
}

const CAuthObjectFile::ObjectList& CAuthObjectFile::objects() const {
    return PresentObjects<Kind>(*m_views, internalFile(), [](const Owned<Kind>& object, int) {
        return Owned<CCioAuthentication>(new CCioPasswordAuth(object));
    });
}

} // namespace ias
