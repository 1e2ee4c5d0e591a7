#ifndef RECOGNITION_COBJECTTABLE_H
#define RECOGNITION_COBJECTTABLE_H

#include "Zaz/SharedMemory.h"
#include "Zaz/Synchronize.h"

#include <string>

namespace IAS {

/// The per-reader table of card objects shared between processes. Only its
/// semaphore ("OBJLIST_SEM_" + reader) and its names are set up here; the two
/// segments stay unconnected until a user of the table needs them.
class CObjectTable {
public:
    /// Opens or creates the semaphore; "Unable to initialize semaphore." on failure.
    explicit CObjectTable(const std::string& readerName);
    virtual ~CObjectTable() = default;

    static constexpr const char* kGlobalCounterName = "OBJLIST_GLOBAL_COUNTER";

    const std::string& segmentName() const { return m_segmentName; }
    ZAZ::Synchronize& semaphore() { return m_semaphore; }

private:
    ZAZ::Synchronize m_semaphore;
    ZAZ::SharedMemory m_table;
    ZAZ::SharedMemory m_counter;
    std::string m_segmentName;
};

} // namespace IAS

#endif
