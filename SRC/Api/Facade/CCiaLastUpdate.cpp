#include <ias/CCiaLastUpdate.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCiaLastUpdate.h"

namespace ias {

CCiaLastUpdate::CCiaLastUpdate() : m_impl(MakeOwned<IAS::CCiaLastUpdate>()) {}

CCiaLastUpdate::CCiaLastUpdate(const CBlob& der)
    : m_impl(MakeOwned<IAS::CCiaLastUpdate>(static_cast<ZAZ::ByteVector>(der))) {}

CCiaLastUpdate::CCiaLastUpdate(const IAS::CCiaLastUpdate& other)
    : m_impl(MakeOwned<IAS::CCiaLastUpdate>(other)) {}

CCiaLastUpdate::~CCiaLastUpdate() = default;

int CCiaLastUpdate::type() const {
    return Read<int>(*m_impl, &IAS::CCiaLastUpdate::type);
}

std::string CCiaLastUpdate::generalizedTime() const {
    return Read<std::string>(*m_impl, &IAS::CCiaLastUpdate::generalizedTime);
}

CCiaPath CCiaLastUpdate::path() const {
    return Read<CCiaPath>(*m_impl, &IAS::CCiaLastUpdate::path);
}

} // namespace ias
