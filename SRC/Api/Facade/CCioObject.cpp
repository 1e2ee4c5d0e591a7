#include <ias/CCioObject.h>

#include "Api/Facade/Facade.h"
#include "Cia/CCioObject.h"
#include "Zaz/Messages.h"

namespace ias {

CCioObject::~CCioObject() = default;

const IAS::CCioObject& CCioObject::internal() const {
    return Guarded([&]() -> const IAS::CCioObject& {
        const IAS::CCioObject* object = getPrivateObject();
        if (object == nullptr) {
            throw ZAZ::CardFrameworkException(ZAZ::Msg::kIllegalParameter);
        }
        return *object;
    });
}

int CCioObject::choice() const {
    return Read<int>(internal(), &IAS::CCioObject::choice);
}

CBlob CCioObject::label() const {
    return Read<CBlob>(internal(), &IAS::CCioObject::label);
}

unsigned int CCioObject::flags() const {
    return Read<unsigned int>(internal(), &IAS::CCioObject::flags);
}

CBlob CCioObject::authIdReference() const {
    return Read<CBlob>(internal(), &IAS::CCioObject::authId);
}

int CCioObject::userConsent() const {
    return Read<int>(internal(), &IAS::CCioObject::userConsent);
}

std::vector<CCioAccessControlRule> CCioObject::accessControlRules() const {
    return Read<std::vector<CCioAccessControlRule>>(internal(),
                                                    &IAS::CCioObject::accessControlRules);
}

} // namespace ias
