#ifndef IAS_CDATACONTAINERFILE_H
#define IAS_CDATACONTAINERFILE_H

#include <ias/CCiaFile.h>
#include <ias/CCioDataContainer.h>

#include <vector>

namespace ias {

/// A CIO directory file: the data container directory (DODF). objects() presents opaqueDO as
/// CCioOpaqueDO, iso7816DO as CCioIso7816DO and oidDO as a CCioOidDO without internal object (the
/// file does not decode oidDO elements, so none reach it today); any other kind throws
/// CIASException class 0, code 1, "Invalid data container type encountered", with the kind in the
/// sw field. Elements of kinds the library does not decode are skipped at load. Throws
/// ias::CIASException.
class IAS_API CDataContainerFile : public CCiaFile {
public:
    typedef std::vector<CCioDataContainer*> ObjectList;

    /// Unopened, no objects; load(bytes) parses without a card.
    CDataContainerFile();
    /// Opens `path` on `card`; does not load.
    CDataContainerFile(CIASCard& card, const CCiaPath& path);

    /// One object per decoded element of the last load, in file order. The
    /// list object is the same on every call; its objects are owned by the
    /// file and rebuilt on each call, so pointers from an earlier call, or
    /// taken before a load, must not be used. A copy of a listed object owns its data and
    /// outlives the file.
    const ObjectList& objects() const;

private:
    struct Views;
    Owned<Views> m_views;
};

} // namespace ias

#endif
