#include <ias/CSecurityAttributeCompact.h>

#include "Api/Facade/Facade.h"
#include "Fci/CSecurityAttributeCompact.h"

namespace ias {

namespace {
// An empty attribute is the caller's mistake, reported as a library error.
const CBlob& nonEmpty(const CBlob& bytes) {
    if (bytes.size() == 0) {
        throw CIASException(CIASException::IAS_ERR_LIBRARY, 1, "illegal parameter", 0);
    }
    return bytes;
}
} // namespace

CSecurityAttributeCompact::CSecurityAttributeCompact()
    : m_impl(MakeOwned<IAS::CSecurityAttributeCompact>()) {}

CSecurityAttributeCompact::CSecurityAttributeCompact(const CBlob& bytes)
    : m_impl(MakeOwned<IAS::CSecurityAttributeCompact>(ZAZ::ByteVector(nonEmpty(bytes)))) {}

CSecurityAttributeCompact::CSecurityAttributeCompact(
    const IAS::CSecurityAttributeCompact& attribute)
    : m_impl(MakeOwned<IAS::CSecurityAttributeCompact>(attribute)) {}

CSecurityAttributeCompact& CSecurityAttributeCompact::operator=(const CBlob& bytes) {
    Guarded([&] {
        const ZAZ::ByteVector raw = bytes;
        m_impl->decode(raw);
    });
    return *this;
}

CSecurityAttributeCompact::~CSecurityAttributeCompact() = default;

bool CSecurityAttributeCompact::proprietary() const {
    return Read<bool>(*m_impl, &IAS::CSecurityAttributeCompact::proprietary);
}

std::pair<bool, int> CSecurityAttributeCompact::securityConditionByte(int accessModeBit) const {
    return Guarded([&] {
        const auto found = m_impl->securityConditionByte(accessModeBit);
        return std::make_pair(found.first != 0, static_cast<int>(found.second));
    });
}

CSecurityAttributeCompact::operator CBlob() const {
    return Read<CBlob>(*m_impl, &IAS::CSecurityAttributeCompact::encode);
}

} // namespace ias
