#include <ias/CApplicationTemplate.h>

#include "Api/Facade/Facade.h"
#include "Cia/CApplicationTemplate.h"

namespace ias {

CApplicationTemplate::CApplicationTemplate() : m_impl(MakeOwned<IAS::CApplicationTemplate>()) {}

CApplicationTemplate::CApplicationTemplate(const CBlob& bytes)
    : m_impl(MakeOwned<IAS::CApplicationTemplate>(static_cast<ZAZ::ByteVector>(bytes))) {}

CApplicationTemplate::CApplicationTemplate(const IAS::CApplicationTemplate& other)
    : m_impl(MakeOwned<IAS::CApplicationTemplate>(other)) {}

CApplicationTemplate::~CApplicationTemplate() = default;

CBlob CApplicationTemplate::aid() const {
    return Guarded([&] { return BlobOf(m_impl->aid()); });
}
CBlob CApplicationTemplate::label() const {
    return Guarded([&] { return BlobOf(m_impl->label()); });
}
CBlob CApplicationTemplate::path() const {
    return Guarded([&] { return BlobOf(m_impl->path()); });
}
CBlob CApplicationTemplate::discretionaryDOBerTlv() const {
    return Guarded([&] { return BlobOf(m_impl->discretionaryDOBerTlv()); });
}
CBlob CApplicationTemplate::discretionaryDONonBerTlv() const {
    return Guarded([&] { return BlobOf(m_impl->discretionaryDONonBerTlv()); });
}

} // namespace ias
