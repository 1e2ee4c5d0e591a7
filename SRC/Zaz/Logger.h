#ifndef ZAZ_LOGGER_H
#define ZAZ_LOGGER_H

#include <string>

namespace ZAZ {

class IOrvLogger;

/// The process-wide logging facade. It decides whether a trace point of a
/// severity is active and appends raw message texts to the log file; its
/// switches and file come from the configured logger (configuration "LOG",
/// key "ZAZ") when the pair is created on first use. The file is taken only
/// when text-file output is on: with standard-error output alone the facade
/// writes nothing, rather than raw texts into the built-in placeholder path.
class Logger {
public:
    Logger() = default;
    /// Takes its switches and file from the configured logger's settings.
    explicit Logger(const IOrvLogger& configured);
    virtual ~Logger() = default;

    /// The process-wide facade, created with the configured logger on first
    /// use. Once the library is unloading, an inert facade that writes nothing.
    static Logger& Instance();
    /// The process-wide configured logger, or null when there is none.
    /// Creates the pair on first use, like Instance.
    static IOrvLogger* Configured();
    /// True from library unload on; trace points then do nothing.
    static bool IsShuttingDown();

    /// Unload: marks the library as shutting down and destroys the pair.
    static void Shutdown();
    /// For tests: destroys the pair and clears the shutting-down mark, so
    /// that the next use reads the configuration again (e.g. another QV_PATH).
    static void ResetProcessLoggers();

    /// True when the severity reaches the threshold or its switch is set.
    bool IsOn(int severity) const;
    /// Appends `text` unchanged to the file when the severity is on.
    void Write(int severity, const std::string& text) const;

    const std::string& GetFilePath() const { return m_filePath; }

private:
    std::string m_filePath;
    int m_threshold = 5;
    bool m_verbose = false;
    bool m_debug = false;
    bool m_info = false;
    bool m_warning = false;
    bool m_error = false;
};

} // namespace ZAZ

#endif
