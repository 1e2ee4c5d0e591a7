#include "Api/Entry/LibraryContext.h"

#include "Api/Entry/ProcessRegistry.h"

#include <ias/IASEntry.h>

#include <unistd.h>

namespace ias {

unsigned long LibraryContext::Validate(const void* context) {
    if (context == nullptr || !ProcessRegistry::ContainsSelf()) {
        return IAS_E_INVALID_CONTEXT;
    }
    const auto* ctx = static_cast<const LibraryContext*>(context);
    if (ctx->magic != kMagic) {
        return IAS_E_INVALID_CONTEXT;
    }
    if (ctx->ownerPid != static_cast<std::uint32_t>(getpid())) {
        return IAS_E_INVALID_CONTEXT;
    }
    return IAS_S_OK;
}

} // namespace ias
