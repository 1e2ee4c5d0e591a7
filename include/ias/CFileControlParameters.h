#ifndef IAS_CFILECONTROLPARAMETERS_H
#define IAS_CFILECONTROLPARAMETERS_H

#include <ias/CBlob.h>
#include <ias/CSecurityAttributeCompact.h>
#include <ias/Export.h>
#include <ias/Owned.h>

namespace IAS {
class CFileControlParameters;
}

namespace ias {

/// What the card says about a selected file: the File Control Parameters
/// template (62, possibly inside 6F), read-only. Failures throw ias::CIASException.
class IAS_API CFileControlParameters {
public:
    enum FileType { UnknownFile = 0, DedicatedFile = 2, ElementaryFile = 3 };
    enum FileState {
        NoInformation = 0,
        Creation = 1,
        Initialisation = 2,
        OperationalActivated = 3,
        OperationalDeactivated = 4,
        Termination = 5,
        OtherState = 6
    };

    CFileControlParameters();
    CFileControlParameters(const CBlob& fcp);
    /// A copy of parameters held by the library.
    explicit CFileControlParameters(const IAS::CFileControlParameters& fcp);
    virtual ~CFileControlParameters();

    CBlob fileIdentifier() const;
    /// Empty when the card sent no short identifier object, noShortFileID() when
    /// it sent an empty one, else the byte it sent.
    CBlob shortFileIdentifier() const;
    static unsigned char noShortFileID();
    CBlob dfName() const;
    CBlob proprietaryBerTlvData() const;
    CBlob proprietaryNonBerTlvData() const;
    /// The data size when known, else the total size, else 0.
    unsigned int size() const;
    FileType type() const;
    FileState state() const;
    /// The first primary compact attribute, or an empty one.
    CSecurityAttributeCompact securityAttributeCompact() const;
    /// The parameters encoded as a 62 template.
    operator CBlob() const;

private:
    Owned<IAS::CFileControlParameters> m_impl;
};

} // namespace ias

#endif
