#include <ias/CSecurityAttributeCompact.h>

#include "Api/BlobBytes.h"
#include "Api/Boundary.h"
#include "Cia/Fci/CSecurityAttributeCompact.h"

namespace ias {

CSecurityAttributeCompact::CSecurityAttributeCompact()
    : m_impl(Guarded([] { return new IAS::CSecurityAttributeCompact; })) {}

CSecurityAttributeCompact::CSecurityAttributeCompact(const CBlob& bytes) : m_impl(nullptr) {
    if (bytes.size() == 0) {
        throw CIASException(CIASException::IAS_ERR_LIBRARY, 1, "illegal parameter", 0);
    }
    m_impl = Guarded([&] {
        const ZAZ::ByteVector raw = bytes;
        return new IAS::CSecurityAttributeCompact(raw);
    });
}

CSecurityAttributeCompact::CSecurityAttributeCompact(const CSecurityAttributeCompact& other)
    : m_impl(Guarded([&] { return new IAS::CSecurityAttributeCompact(*other.m_impl); })) {}

CSecurityAttributeCompact::CSecurityAttributeCompact(
    const IAS::CSecurityAttributeCompact& attribute)
    : m_impl(Guarded([&] { return new IAS::CSecurityAttributeCompact(attribute); })) {}

CSecurityAttributeCompact&
CSecurityAttributeCompact::operator=(const CSecurityAttributeCompact& other) {
    Guarded([&] { *m_impl = *other.m_impl; });
    return *this;
}

CSecurityAttributeCompact& CSecurityAttributeCompact::operator=(const CBlob& bytes) {
    Guarded([&] {
        const ZAZ::ByteVector raw = bytes;
        m_impl->decode(raw);
    });
    return *this;
}

CSecurityAttributeCompact::~CSecurityAttributeCompact() {
    delete m_impl;
}

bool CSecurityAttributeCompact::proprietary() const {
    return Guarded([&] { return m_impl->proprietary(); });
}

std::pair<bool, int> CSecurityAttributeCompact::securityConditionByte(int accessModeBit) const {
    return Guarded([&] {
        const auto found = m_impl->securityConditionByte(accessModeBit);
        return std::make_pair(found.first != 0, static_cast<int>(found.second));
    });
}

CSecurityAttributeCompact::operator CBlob() const {
    return Guarded([&] { return BlobOf(m_impl->encode()); });
}

} // namespace ias
