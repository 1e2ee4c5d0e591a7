#include <ias/CIASCard.h>
#include <ias/IASEntry.h>

#include "Api/CIASCardImpl.h"
#include "Api/LibraryContext.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"

#include <memory>

namespace ias {
namespace {
constexpr int kMaxResponseLength = 0xE7;

// Builds the wrapper, terminal and card object inside the handle. Every step
// that can fail runs before the handle takes the new wrapper, and the
// terminal is rebound only once the handle owns it, so a failure never
// leaves the handle pointing at a destroyed connection.
void bind(CIASCard::Impl& impl, const char* readerName) {
    std::unique_ptr<ZAZ::PCSCWrapper> wrapper(new ZAZ::PCSCWrapperMicrosoft());
    wrapper->Connect(readerName, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1);
    const SCARDHANDLE handle = wrapper->GetCardHandle();
    const IAS::CZazTerminal bound(wrapper.get());
    impl.wrapper.swap(wrapper); // the earlier connection, if any, closes below
    impl.pcscHandle = static_cast<long>(handle);
    impl.terminal = bound;
    IAS::CCiaCard fresh(&impl.terminal);
    fresh.setMaxResponseLength(kMaxResponseLength);
    impl.card = fresh;
}
} // namespace

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
        bind(CIASCardAccess::impl(card), readerName);
    } catch (const ZAZ::CardFrameworkException&) {
        return IAS_E_CONNECT_FAILED;
    }
    card.reset();
    return IAS_S_OK;
}

} // namespace ias
