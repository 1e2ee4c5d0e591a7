#ifndef API_ENTRY_LIBRARYCONTEXT_H
#define API_ENTRY_LIBRARYCONTEXT_H

#include <winscard.h>

#include <cstdint>

namespace ias {

/// What IASInitialize hands out as an opaque pointer.
struct LibraryContext {
    static constexpr std::uint32_t kMagic = 0x0000DEAD;

    std::uint32_t magic;
    SCARDCONTEXT pcscContext;
    std::uint32_t ownerPid;

    /// The checks every entry function taking a context makes, in their
    /// order: null, calling process not registered, wrong magic, another
    /// owner. IAS_S_OK or IAS_E_INVALID_CONTEXT. The context is read only
    /// once the process is known to hold one.
    static unsigned long Validate(const void* context);
};

} // namespace ias

#endif
