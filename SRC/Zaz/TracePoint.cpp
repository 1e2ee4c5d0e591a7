#include "Zaz/TracePoint.h"

#include "Zaz/IOrvLogger.h"
#include "Zaz/Logger.h"

namespace ZAZ {

bool TraceIsOn(int severity) noexcept {
    try {
        if (Logger::IsShuttingDown()) {
            return false;
        }
        IOrvLogger* configured = Logger::Configured();
        if (configured == nullptr || !configured->IsEnabled()) {
            return false;
        }
        return Logger::Instance().IsOn(severity);
    } catch (...) {
        return false;
    }
}

void TraceWrite(int severity, int levelIndex, const char* unit, int line, const char* function,
                const std::string& message) noexcept {
    try {
        if (Logger::IsShuttingDown()) {
            return;
        }
        Logger::Instance().Write(severity, message);
        if (IOrvLogger* configured = Logger::Configured()) {
            configured->Log(levelIndex, "[%s@%d(%s())] \n%s", unit ? unit : "", line,
                            function ? function : "", message.c_str());
        }
    } catch (...) {
        // Logging never changes the outcome of what it traces.
    }
}

} // namespace ZAZ
