#ifndef API_FACADE_BLOBBYTES_H
#define API_FACADE_BLOBBYTES_H

#include <ias/CBlob.h>

#include "Zaz/ByteVector.h"

#include <algorithm>

namespace ias {

/// The bytes of `bytes` as a blob, exactly (no added terminator). Built by
/// appending, which has no length limit, so long card data passes whole. The
/// bytes go straight into blobs, which wipe what they release: card data is
/// never left behind in a freed temporary.
inline CBlob BlobOf(const ZAZ::ByteVectorBase& bytes) {
    constexpr std::int32_t kChunk = 512;
    CBlob blob;
    for (std::int32_t offset = 0; offset < bytes.size(); offset += kChunk) {
        const std::int32_t n = std::min(kChunk, bytes.size() - offset);
        CBlob chunk(static_cast<unsigned int>(n), '\0');
        for (std::int32_t i = 0; i < n; ++i) {
            chunk[static_cast<unsigned int>(i)] = bytes.data()[offset + i];
        }
        blob += chunk;
    }
    return blob;
}

} // namespace ias

#endif
