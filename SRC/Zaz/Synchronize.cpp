#include "Zaz/Synchronize.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/TracePoint.h"

namespace ZAZ {

Synchronize::Synchronize(const std::string& name) : m_name(name) {
    m_id = SYS_SemaphoreInit(m_name.c_str());
    if (m_id < 0) {
        throw CardFrameworkException("Unable to initialize semaphore.");
    }
    Trace(SEV_DEBUG, LVL_DEBUG, "Synchronize", __LINE__, "Synchronize", [this] {
        return "\t\tSynchronize                  -> SYS_SemaphoreInit(" + m_name + ")\n";
    });
}

Synchronize::~Synchronize() {
    Trace(SEV_DEBUG, LVL_DEBUG, "Synchronize", __LINE__, "~Synchronize", [this] {
        return "\t\tSynchronize                  <- SYS_SemaphoreDestroy(" + m_name + ")\n";
    });
    SYS_SemaphoreDestroy(m_id);
}

} // namespace ZAZ
