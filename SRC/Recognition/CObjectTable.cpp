#include "Recognition/CObjectTable.h"

namespace IAS {

CObjectTable::CObjectTable(const std::string& readerName)
    : m_semaphore("OBJLIST_SEM_" + readerName), m_segmentName("OBJLIST_MAP_" + readerName) {}

} // namespace IAS
