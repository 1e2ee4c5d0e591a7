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
    return Guarded([&] { return static_cast<int>(m_impl->type()); });
}

std::string CCiaLastUpdate::generalizedTime() const {
    return Guarded([&] { return m_impl->generalizedTime(); });
}

CCiaPath CCiaLastUpdate::path() const {
    return Guarded([&] { return CCiaPath(m_impl->path()); });
}

} // namespace ias
