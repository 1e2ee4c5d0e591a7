#include <ias/CIASCard.h>
#include <ias/IASEntry.h>

#include "Api/Entry/LibraryContext.h"
#include "Api/Facade/CIASCardImpl.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/PCSCWrapper.h"

namespace ias {

unsigned long IASConnectA(void* context, char* readerName, CIASCard& card) {
    if (context == nullptr) {
        return IAS_E_INVALID_CONTEXT;
    }
    if (readerName == nullptr) {
        return IAS_E_CONNECT_FAILED;
    }
    const unsigned long valid = LibraryContext::Validate(context);
    if (valid != IAS_S_OK) {
        return valid;
    }
    try {
        bindConnection(CIASCardAccess::impl(card), IAS::CZazTerminal::connect(readerName));
    } catch (const ZAZ::CardFrameworkException&) {
        return IAS_E_CONNECT_FAILED;
    }
    card.reset();
    return IAS_S_OK;
}

} // namespace ias
