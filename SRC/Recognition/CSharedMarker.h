#ifndef RECOGNITION_CSHAREDMARKER_H
#define RECOGNITION_CSHAREDMARKER_H

#include "Zaz/SharedMemory.h"
#include "Zaz/Synchronize.h"

#include <cstdint>
#include <string>

namespace IAS {

/// A per-reader marker in shared memory ("SHMARKER_MAP_" + reader, guarded by
/// the semaphore "SHMARKER_SEM_" + reader) by which the processes using a
/// reader recognise each other's state. Data layout: 8 random bytes, three
/// 64-bit counters, and a 4-byte check value (the first bytes of the MD5
/// digest of the 32 bytes before it).
class CSharedMarker {
public:
    static constexpr std::uint32_t kSize = 36;
    static constexpr long kCheckOffset = 32;

    /// Under the semaphore: connects the segment and, only when this call
    /// created it (or built again a leftover too short to join), writes
    /// random bytes, counters of 1 and the check value.
    explicit CSharedMarker(const std::string& readerName);
    /// Disconnects; the last user of the segment removes it.
    virtual ~CSharedMarker() = default;

    ZAZ::SharedMemory& segment() { return m_segment; }

    /// The check value the marker's first 32 bytes call for.
    static void checkValue(const unsigned char* data, unsigned char out[4]);

private:
    ZAZ::Synchronize m_semaphore;
    ZAZ::SharedMemory m_segment;
};

} // namespace IAS

#endif
