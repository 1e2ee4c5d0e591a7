#include <ias/IASEntry.h>

#include "Api/Entry/LibraryContext.h"
#include "Api/Entry/ProcessRegistry.h"
#include "Zaz/PCSCWrapperMicrosoft.h"

#include <new>

#include <unistd.h>

namespace ias {

namespace {
std::int32_t Self() {
    return static_cast<std::int32_t>(getpid());
}
} // namespace

unsigned long IASInitialize(void** context) {
    if (context == nullptr) {
        return IAS_E_FAILED;
    }
    if (ProcessRegistry::ContainsSelf()) {
        return IAS_E_ALREADY_INITIALIZED;
    }
    SCARDCONTEXT pcsc = 0;
    if (ZAZ::PCSCWrapperMicrosoft::EstablishContext(&pcsc) != SCARD_S_SUCCESS) {
        return IAS_E_FAILED;
    }
    auto* created = new (std::nothrow)
        LibraryContext{LibraryContext::kMagic, pcsc, static_cast<std::uint32_t>(Self())};
    if (created == nullptr) {
        ZAZ::PCSCWrapperMicrosoft::ReleaseContext(pcsc);
        return IAS_E_FAILED;
    }
    try {
        ProcessRegistry::Add(Self());
    } catch (...) {
        ZAZ::PCSCWrapperMicrosoft::ReleaseContext(pcsc);
        delete created;
        return IAS_E_FAILED;
    }
    *context = created;
    return IAS_S_OK;
}

unsigned long IASFinalize(void* context) {
    if (context == nullptr) {
        return IAS_E_FAILED;
    }
    if (!ProcessRegistry::ContainsSelf()) {
        return IAS_E_INVALID_CONTEXT;
    }
    auto* ctx = static_cast<LibraryContext*>(context);
    if (ctx->magic != LibraryContext::kMagic) {
        return IAS_E_FAILED;
    }
    if (ctx->ownerPid != static_cast<std::uint32_t>(Self())) {
        return IAS_E_INVALID_CONTEXT;
    }
    ProcessRegistry::Remove(Self());
    ZAZ::PCSCWrapperMicrosoft::ReleaseContext(ctx->pcscContext);
    ctx->magic = 0; // a stale copy of the pointer no longer passes for a context
    delete ctx;
    return IAS_S_OK;
}

unsigned long IASListReadersA(void* context, char* readers, unsigned long* readersLength) {
    const unsigned long valid = LibraryContext::Validate(context);
    if (valid != IAS_S_OK) {
        return valid;
    }
    if (readersLength == nullptr) {
        return IAS_E_FAILED;
    }
    if (readers != nullptr) {
        readers[0] = '\0';
    }
    const auto* ctx = static_cast<const LibraryContext*>(context);
    DWORD length = static_cast<DWORD>(*readersLength);
    const LONG rv = ZAZ::PCSCWrapperMicrosoft::ListReaderNames(ctx->pcscContext, readers, &length);
    *readersLength = static_cast<unsigned long>(length);
    switch (static_cast<unsigned long>(rv) & 0xFFFFFFFFUL) {
    case SCARD_S_SUCCESS:
    case SCARD_E_NO_READERS_AVAILABLE:
        return IAS_S_OK;
    case SCARD_E_INSUFFICIENT_BUFFER:
        return IAS_E_INSUFFICIENT_BUFFER;
    default:
        return IAS_E_FAILED;
    }
}

unsigned long IASGetInfo(IASINFO* info) {
    if (info == nullptr) {
        return IAS_E_FAILED;
    }
    info->versionMajor = 1;
    info->versionMinor = 0;
    return IAS_S_OK;
}

} // namespace ias
