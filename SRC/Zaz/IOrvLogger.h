#ifndef ZAZ_IORVLOGGER_H
#define ZAZ_IORVLOGGER_H

#include <cstddef>
#include <string>

namespace ZAZ {

/// Masks of the four level indices (index i has mask 1 << i).
enum OrvLevelMask {
    ORV_MASK_DEBUG = 1,
    ORV_MASK_INFO = 2,
    ORV_MASK_ERROR = 4,
    ORV_MASK_CRITICAL = 8
};

/// Output bits of a configurable logger.
enum OrvOutput { ORV_OUT_DEBUGGER = 1, ORV_OUT_TEXTFILE = 2, ORV_OUT_STDERR = 4 };

/// What a logger was configured with.
struct OrvLoggerSettings {
    std::string configurationName;
    std::string loggerName;
    bool enabled = false;
    bool criticalOn = false;
    bool debugOn = false;
    bool errorOn = false;
    bool infoOn = false;
    bool debuggerOutput = false;
    bool stdErrOutput = false;
    bool textFileOutput = false;
    long long maxSize = -1; // bytes; -1 = no limit
    std::string textFilePath;
    std::string customs;
    bool configured = false;
};

/// A logger configured once from a configuration file: it filters by level
/// and writes numbered, time-stamped lines to a text file shared between
/// processes and to standard error. No operation throws.
class IOrvLogger {
public:
    /// Formats and writes at the level index. Returns the length of the line
    /// written, 0 when the level is filtered out, -1 for an index outside 0..3.
    __attribute__((format(printf, 3, 4))) virtual int Log(int levelIndex, const char* format,
                                                          ...) = 0;
    /// The prefix followed by each byte as two upper-case hex digits and a blank.
    virtual int LogBuffer(int levelIndex, const char* prefix, const unsigned char* bytes,
                          std::size_t count) = 0;
    /// LogBuffer with a formatted prefix.
    __attribute__((format(printf, 5, 6))) virtual int LogBufferFormat(int levelIndex,
                                                                      const unsigned char* bytes,
                                                                      std::size_t count,
                                                                      const char* format, ...) = 0;
    /// The configuration was found and read.
    virtual bool IsInitialized() const = 0;
    /// Fills `settings`; false (and a cleared record) when not initialized.
    virtual bool GetSettings(OrvLoggerSettings& settings) const = 0;
    virtual bool IsEnabled() const = 0;
    virtual ~IOrvLogger() = default;
};

/// A logger from the configuration `configurationName`, whose key
/// `loggerName` switches it and whose settings are in the configuration
/// "<configurationName>/<loggerName>". Null when it cannot be initialized.
IOrvLogger* CreateLogger(const char* configurationName, const char* loggerName);

} // namespace ZAZ

#endif
