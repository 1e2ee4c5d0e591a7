#ifndef ZAZ_CORVLOGGERINTERNAL_H
#define ZAZ_CORVLOGGERINTERNAL_H

#include "Zaz/IOrvLogger.h"

#include <cstdint>
#include <string>

struct SYS_CfgHandle;

namespace ZAZ {

/// The configurable logger. Its configuration is read once, by the
/// constructor; see CreateLogger for the names involved.
/// "Output.TextFile.MaxKByteSize" is read as a decimal of up to 15 digits
/// (not the three an integer setting gets), so limits past 999 KB work; a
/// write that would pass the limit first renames the file to "<path>.1".
class COrvLoggerInternal : public IOrvLogger {
public:
    COrvLoggerInternal(const char* configurationName, const char* loggerName);
    ~COrvLoggerInternal() override;

    COrvLoggerInternal(const COrvLoggerInternal&) = delete;
    COrvLoggerInternal& operator=(const COrvLoggerInternal&) = delete;

    __attribute__((format(printf, 3, 4))) int Log(int levelIndex, const char* format, ...) override;
    int LogBuffer(int levelIndex, const char* prefix, const unsigned char* bytes,
                  std::size_t count) override;
    __attribute__((format(printf, 5, 6))) int LogBufferFormat(int levelIndex,
                                                              const unsigned char* bytes,
                                                              std::size_t count, const char* format,
                                                              ...) override;
    bool IsInitialized() const override { return m_initialized; }
    bool GetSettings(OrvLoggerSettings& settings) const override;
    bool IsEnabled() const override { return m_enabled; }

    /// The name printed for a level mask.
    static const char* LevelName(unsigned mask);

    /// The semaphore that serialises the text file between processes.
    static constexpr const char* kFileSemaphoreName = "ORVLOG_LOGFILE_SEM_ORV_";

private:
    void ResetState();
    void ReadConfiguration();
    void ReadSettings(SYS_CfgHandle* handle);
    int WriteLine(int levelIndex, const char* text) noexcept;
    /// -1 for an index outside 0..3, 0 when the line is filtered out, 1 to write it.
    int Admit(int levelIndex) const;
    void WriteToFile(const std::string& line) noexcept;

    unsigned m_outputs = 0;
    std::string m_textFilePath;
    unsigned m_levelMask = 0;
    bool m_initialized = false;
    bool m_enabled = false;
    bool m_configured = false;
    bool m_colour = false;
    std::uint32_t m_lineCounter = 0;
    std::string m_configurationName;
    std::string m_loggerName;
    long long m_maxSize = -1;
    int m_fileSemaphore = -1;
    std::string m_customs;
    long long m_startSize = 0;
};

} // namespace ZAZ

#endif
