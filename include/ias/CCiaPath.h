#ifndef IAS_CCIAPATH_H
#define IAS_CCIAPATH_H

#include <ias/CBlob.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CCiaPath;
}

namespace ias {

/// A path to a file of the card's CIA, as its directory files give it: an
/// optional application identifier, a file identifier or path of file
/// identifiers, and optionally the part of the file (index, length; -1 when
/// absent). Failures throw ias::CIASException.
class IAS_API CCiaPath {
public:
    CCiaPath();
    /// Decodes the DER form of a path.
    CCiaPath(const CBlob& der);
    CCiaPath(const IAS::CCiaPath& path);
    CCiaPath& operator=(const IAS::CCiaPath& path);
    virtual ~CCiaPath();
    operator IAS::CCiaPath() const;

    CBlob aid() const;
    CBlob efidOrPath() const;
    int index() const;
    int length() const;
    void setAid(const CBlob& aid);
    void setEfidOrPath(const CBlob& efidOrPath);
    void setIndex(int index);
    void setLength(int length);

    bool isNull() const;
    bool operator==(const CCiaPath& other) const;

    /// The path of the DF that holds this file.
    CCiaPath parent() const;
    /// `other` appended to this path (or `other` alone when it is absolute).
    CCiaPath operator+(const CCiaPath& other) const;
    CCiaPath& operator+=(const CCiaPath& other);
    /// This path resolved against the DF path `df`.
    CCiaPath relativeToDF(const CCiaPath& df) const;
    /// This path resolved against the DF that holds the EF `ef`.
    CCiaPath relativeToEF(const CCiaPath& ef) const;

private:
    Owned<IAS::CCiaPath> m_impl;
};

} // namespace ias

#endif
