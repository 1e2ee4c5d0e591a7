#include <ias/CCioAuthReference.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioAuthReference.h"

namespace ias {

CCioAuthReference::CCioAuthReference() : m_impl(MakeOwned<IAS::CCioAuthReference>()) {}

CCioAuthReference::CCioAuthReference(const CBlob& der)
    : m_impl(MakeOwned<IAS::CCioAuthReference>(ZAZ::ByteVector(der))) {}

CCioAuthReference::CCioAuthReference(const IAS::CCioAuthReference& impl)
    : m_impl(MakeOwned<IAS::CCioAuthReference>(impl)) {}

unsigned int CCioAuthReference::authMethod() const {
    return Read<unsigned int>(*m_impl, &IAS::CCioAuthReference::authMethod);
}

int CCioAuthReference::seIdentifier() const {
    return Read<int>(*m_impl, &IAS::CCioAuthReference::seIdentifier);
}

} // namespace ias
