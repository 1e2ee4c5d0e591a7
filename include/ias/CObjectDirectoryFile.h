#ifndef IAS_COBJECTDIRECTORYFILE_H
#define IAS_COBJECTDIRECTORYFILE_H

#include <ias/CCiaFile.h>

#include <utility>
#include <vector>

namespace ias {

/// EF.OD, the object directory: for each kind of CIO the path of the
/// directory file holding such objects. Throws ias::CIASException.
class IAS_API CObjectDirectoryFile : public CCiaFile {
public:
    /// The context tag number of an EF.OD entry; other numbers pass unchanged
    /// (the fixed underlying type makes every int a valid value).
    enum CioChoice : int {
        PrivateKeys = 0,
        PublicKeys = 1,
        TrustedPublicKeys = 2,
        SecretKeys = 3,
        Certificates = 4,
        TrustedCertificates = 5,
        UsefulCertificates = 6,
        DataContainerObjects = 7,
        AuthObjects = 8
    };
    typedef std::vector<std::pair<CioChoice, CCiaPath>> CioFileList;

    /// Unopened; load(bytes) parses without a card.
    CObjectDirectoryFile();
    /// Opens `path` on `card` (no handle check).
    CObjectDirectoryFile(CIASCard& card, const CCiaPath& path);

    /// The (choice, path) entries of the last load, in file order; entries that
    /// hold objects directly are skipped. Owned by this reader, rebuilt on each call.
    const CioFileList& cioFiles() const;

private:
    struct Views;
    Owned<Views> m_views;
};

} // namespace ias

#endif
