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
    return Read<CBlob>(*m_impl, &IAS::CApplicationTemplate::aid);
}
CBlob CApplicationTemplate::label() const {
    return Read<CBlob>(*m_impl, &IAS::CApplicationTemplate::label);
}
CBlob CApplicationTemplate::path() const {
    return Read<CBlob>(*m_impl, &IAS::CApplicationTemplate::path);
}
CBlob CApplicationTemplate::discretionaryDOBerTlv() const {
    return Read<CBlob>(*m_impl, &IAS::CApplicationTemplate::discretionaryDOBerTlv);
}
CBlob CApplicationTemplate::discretionaryDONonBerTlv() const {
    return Read<CBlob>(*m_impl, &IAS::CApplicationTemplate::discretionaryDONonBerTlv);
}

} // namespace ias
