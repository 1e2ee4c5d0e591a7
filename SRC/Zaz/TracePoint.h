#ifndef ZAZ_TRACEPOINT_H
#define ZAZ_TRACEPOINT_H

#include <string>

namespace ZAZ {

/// Severities of the process-wide logger facade.
enum Severity { SEV_VERBOSE = 0, SEV_DEBUG = 1, SEV_INFO = 2, SEV_WARNING = 3, SEV_ERROR = 4 };

/// Level indices of the configurable logger. Error-severity lines go to
/// LVL_ERROR (shared-memory index and semaphore unlock failures), except the
/// lines every internal exception writes when built, which stay at LVL_INFO so
/// that an INFO-only log still shows why an operation failed.
enum LevelIndex { LVL_DEBUG = 0, LVL_INFO = 1, LVL_ERROR = 2, LVL_CRITICAL = 3 };

/// True when a trace point of this severity would write anything: the library
/// is not shutting down, the configured logger exists and is enabled, and the
/// facade lets the severity through. Never throws.
bool TraceIsOn(int severity) noexcept;

/// Writes an already built message: the raw text through the facade, then the
/// "[unit@line(function())] \n" line through the configured logger. Callers
/// test TraceIsOn first. Never throws.
void TraceWrite(int severity, int levelIndex, const char* unit, int line, const char* function,
                const std::string& message) noexcept;

/// The trace-point pattern: the message is built only when tracing is on, and
/// nothing a trace point does can change the outcome of the traced operation.
template <class MakeMessage>
void Trace(int severity, int levelIndex, const char* unit, int line, const char* function,
           MakeMessage&& makeMessage) noexcept {
    if (!TraceIsOn(severity)) {
        return;
    }
    try {
        TraceWrite(severity, levelIndex, unit, line, function, makeMessage());
    } catch (...) {
        // A message that cannot be built (out of memory) is simply lost.
    }
}

} // namespace ZAZ

#endif
