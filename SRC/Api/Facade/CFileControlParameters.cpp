#include <ias/CFileControlParameters.h>

#include "Api/Facade/Facade.h"
#include "Fci/CFileControlParameters.h"

namespace ias {

CFileControlParameters::CFileControlParameters()
    : m_impl(MakeOwned<IAS::CFileControlParameters>()) {}

CFileControlParameters::CFileControlParameters(const CBlob& fcp)
    : m_impl(MakeOwned<IAS::CFileControlParameters>(ZAZ::ByteVector(fcp))) {}

CFileControlParameters::CFileControlParameters(const IAS::CFileControlParameters& fcp)
    : m_impl(MakeOwned<IAS::CFileControlParameters>(fcp)) {}

CFileControlParameters::~CFileControlParameters() = default;

CBlob CFileControlParameters::fileIdentifier() const {
    return Guarded([&] { return BlobOf(m_impl->fileIdentifier()); });
}

CBlob CFileControlParameters::shortFileIdentifier() const {
    return Guarded([&] { return BlobOf(m_impl->shortFileIdentifier()); });
}

unsigned char CFileControlParameters::noShortFileID() {
    return IAS::CFileControlParameters::kNoShortFileId;
}

CBlob CFileControlParameters::dfName() const {
    return Guarded([&] { return BlobOf(m_impl->dfName()); });
}

CBlob CFileControlParameters::proprietaryBerTlvData() const {
    return Guarded([&] { return BlobOf(m_impl->proprietaryBerTlvData()); });
}

CBlob CFileControlParameters::proprietaryNonBerTlvData() const {
    return Guarded([&] { return BlobOf(m_impl->proprietaryNonBerTlvData()); });
}

unsigned int CFileControlParameters::size() const {
    return Guarded([&] { return static_cast<unsigned int>(m_impl->size()); });
}

CFileControlParameters::FileType CFileControlParameters::type() const {
    return Guarded([&] {
        switch (m_impl->descriptor()) {
        case 0x38:
            return DedicatedFile;
        case 0x01:
            return ElementaryFile;
        default:
            return UnknownFile;
        }
    });
}

CFileControlParameters::FileState CFileControlParameters::state() const {
    return Guarded([&] {
        const unsigned char b = m_impl->lifeCycleStatus();
        if (b == 0x00) {
            return NoInformation;
        }
        if (b == 0x01) {
            return Creation;
        }
        if (b == 0x03) {
            return Initialisation;
        }
        const unsigned char low = b & 0x0F;
        if ((low & 0x0C) == 0x04) {
            return (low & 0x01) != 0 ? OperationalActivated : OperationalDeactivated;
        }
        if ((low & 0x0C) == 0x0C) {
            return Termination;
        }
        return OtherState;
    });
}

CSecurityAttributeCompact CFileControlParameters::securityAttributeCompact() const {
    return Guarded([&] {
        const auto& primary = m_impl->primarySecurityAttributes();
        return primary.empty() ? CSecurityAttributeCompact()
                               : CSecurityAttributeCompact(primary.front());
    });
}

CFileControlParameters::operator CBlob() const {
    return Guarded([&] { return BlobOf(m_impl->encode()); });
}

} // namespace ias
