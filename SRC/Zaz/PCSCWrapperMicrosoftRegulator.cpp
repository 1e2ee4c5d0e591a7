#include "Zaz/PCSCWrapperMicrosoftRegulator.h"

#include "Zaz/Config.h"
#include "Zaz/TracePoint.h"

#include <string>

namespace ZAZ {

namespace {
// Process-wide and unsynchronized: a race only repeats a harmless check.
bool g_checkedOnce = false;
} // namespace

bool PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(unsigned long /*timeoutMs*/, bool force) {
    if (force) {
        g_checkedOnce = false;
    } else if (g_checkedOnce) {
        return true;
    }
    if (!Config().IsPCSCCheckIfStarted()) {
        Trace(SEV_INFO, LVL_INFO, "PCSCWrapperMicrosoftRegulator", __LINE__,
              "CheckPCSCStartedEvent",
              [] { return std::string("CheckPCSCStartedEvent disable by configuration.\n"); });
    }
    g_checkedOnce = true;
    return true;
}

bool PCSCWrapperMicrosoftRegulator::CheckedOnce() {
    return g_checkedOnce;
}

} // namespace ZAZ
