#ifndef IAS_CAUTHOBJECTFILE_H
#define IAS_CAUTHOBJECTFILE_H

#include <ias/CCiaFile.h>
#include <ias/CCioAuthentication.h>

#include <vector>

namespace ias {

/// A CIO directory file: the authentication object directory (AODF). objects() presents every
/// object as a CCioPasswordAuth, whatever its kind; choice() tells the kind. Elements of kinds the
/// library does not decode are skipped at load. Throws ias::CIASException.
class IAS_API CAuthObjectFile : public CCiaFile {
public:
    typedef std::vector<CCioAuthentication*> ObjectList;

    /// Unopened, no objects; load(bytes) parses without a card.
    CAuthObjectFile();
    /// Opens `path` on `card`; does not load.
    CAuthObjectFile(CIASCard& card, const CCiaPath& path);

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
