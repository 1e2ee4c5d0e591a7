#ifndef ZAZ_READERSTATUS_H
#define ZAZ_READERSTATUS_H

#include "Zaz/ByteVector.h"

#include <cstdint>
#include <string>

namespace ZAZ {

/// One reader as the status operations of the PC/SC wrapper report it.
struct ReaderStatus {
    std::string readerName;
    /// The SCardStatus state, or the SCARD_STATE_* event bits of a status change.
    std::uint32_t state = 0;
    std::uint32_t protocol = 0;
    ByteVector atr;
};

} // namespace ZAZ

#endif
