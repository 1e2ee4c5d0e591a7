#ifndef IAS_BLOBBYTES_H
#define IAS_BLOBBYTES_H

#include <ias/CBlob.h>

#include "Zaz/ByteVector.h"

#include <algorithm>
#include <string>

namespace ias {

/// The bytes of `bytes` as a blob, exactly (no added terminator). Built by
/// appending, which has no length limit, so long card data passes whole.
inline CBlob BlobOf(const ZAZ::ByteVectorBase& bytes) {
    constexpr std::int32_t kChunk = 512;
    CBlob blob;
    for (std::int32_t offset = 0; offset < bytes.size(); offset += kChunk) {
        const std::int32_t n = std::min(kChunk, bytes.size() - offset);
        blob += CBlob(std::string(reinterpret_cast<const char*>(bytes.data() + offset),
                                  static_cast<std::size_t>(n)));
    }
    return blob;
}

} // namespace ias

#endif
