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
    return Read<CBlob>(*m_impl, &IAS::CFileControlParameters::fileIdentifier);
}

CBlob CFileControlParameters::shortFileIdentifier() const {
    return Read<CBlob>(*m_impl, &IAS::CFileControlParameters::shortFileIdentifier);
}

unsigned char CFileControlParameters::noShortFileID() {
    return IAS::CFileControlParameters::kNoShortFileId;
}

CBlob CFileControlParameters::dfName() const {
    return Read<CBlob>(*m_impl, &IAS::CFileControlParameters::dfName);
}

CBlob CFileControlParameters::proprietaryBerTlvData() const {
    return Read<CBlob>(*m_impl, &IAS::CFileControlParameters::proprietaryBerTlvData);
}

CBlob CFileControlParameters::proprietaryNonBerTlvData() const {
    return Read<CBlob>(*m_impl, &IAS::CFileControlParameters::proprietaryNonBerTlvData);
}

unsigned int CFileControlParameters::size() const {
    return Read<unsigned int>(*m_impl, &IAS::CFileControlParameters::size);
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
    return Read<CBlob>(*m_impl, &IAS::CFileControlParameters::encode);
}

} // namespace ias
