#ifndef IAS_CCERTIFICATEFILE_H
#define IAS_CCERTIFICATEFILE_H

#include <ias/CCiaFile.h>
#include <ias/CCioCertificate.h>

#include <vector>

namespace ias {

/// A CIO directory file: the certificate directory (CDF). objects() presents X.509 certificates as
/// CCioX509Certificate. Any other kind throws CIASException class 0: code 0 with "... type not
/// supported" for the kinds the standard defines, code 1 with the kind in the sw field otherwise.
/// Elements of kinds the library does not decode are skipped at load. Throws ias::CIASException.
class IAS_API CCertificateFile : public CCiaFile {
public:
    typedef std::vector<CCioCertificate*> ObjectList;

    /// Unopened, no objects; load(bytes) parses without a card.
    CCertificateFile();
    /// Opens `path` on `card`; does not load.
    CCertificateFile(CIASCard& card, const CCiaPath& path);

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
