#ifndef CARD_CCIAFILERECORD_H
#define CARD_CCIAFILERECORD_H

#include "Fci/CCiaPath.h"
#include "Zaz/ByteVector.h"

#include <cstdint>

namespace IAS {

class CCiaCard;

/// What a CIA file object keeps about its file for the whole-file read: the
/// card, the path (aid, file identifiers, index and length in bytes) and the
/// content cache.
struct CCiaFileRecord {
    CCiaCard* card = nullptr;
    CCiaPath path;
    /// Content may be served from the cache.
    bool loaded = false;
    /// Content does not reflect the card (new object, or a read in progress or failed).
    bool busy = true;
    ZAZ::ByteVector content;
    /// The path index that content was read from.
    std::uint32_t contentOffset = 0;
};

} // namespace IAS

#endif
