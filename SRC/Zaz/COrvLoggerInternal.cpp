#include "Zaz/COrvLoggerInternal.h"
#include "Zaz/SysAppend.h"

#include "Zaz/ByteVector.h"

#include "Zaz/SysConfig.h"
#include "Zaz/SysSemaphore.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace ZAZ {

namespace {

constexpr const char* kDefaultTextFile = "C:\\OrvLog.log";
constexpr const char* kDefaultLoggerName = "DefaultConfig";
constexpr std::size_t kMaxPathLength = 258;
constexpr std::size_t kMaxNameLength = 259;
constexpr std::size_t kCustomsCapacity = 259;

const char* const kColourTerminals[] = {"linux", "xterm", "xterm-color",
                                        "Eterm", "rxvt",  "rxvt-unicode"};

unsigned MaskOf(int levelIndex) {
    return (levelIndex >= 0 && levelIndex <= 3) ? 1u << levelIndex : 0u;
}

const char* ColourOf(int levelIndex) {
    switch (levelIndex) {
    case 1:
        return "\033[34m";
    case 2:
        return "\033[35m";
    case 3:
        return "\033[01;31m";
    default:
        return "";
    }
}

std::string Cut(const char* text, std::size_t length) {
    return std::string(text, strnlen(text, length));
}

bool GetFlag(SYS_CfgHandle* handle, const char* key) {
    int value = 0;
    return SYS_CfgGetInt(handle, key, &value) == 0 && value != 0;
}

std::string FormatV(const char* format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string TimeStamp() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char seconds[32];
    std::strftime(seconds, sizeof seconds, "%Y-%m-%d %H:%M:%S", &local);
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "%s.%03ld", seconds, now.tv_nsec / 1000000L);
    return stamp;
}

} // namespace

COrvLoggerInternal::COrvLoggerInternal(const char* configurationName, const char* loggerName) {
    ResetState();
    if (configurationName != nullptr) {
        m_configurationName = Cut(configurationName, kMaxNameLength);
    }
    if (loggerName != nullptr && loggerName[0] != '\0') {
        m_loggerName = Cut(loggerName, kMaxNameLength);
    }
    ReadConfiguration();
}

COrvLoggerInternal::~COrvLoggerInternal() {
    if (m_enabled && m_outputs != 0 && (m_levelMask & ORV_MASK_INFO) != 0) {
        Log(1, "Logger '%s' is destroyed", m_loggerName.c_str());
    }
    ResetState();
}

void COrvLoggerInternal::ResetState() {
    m_outputs = 0;
    m_textFilePath = kDefaultTextFile;
    m_levelMask = 0;
    m_initialized = m_enabled = m_configured = m_colour = false;
    m_lineCounter = 0;
    m_configurationName.clear();
    m_loggerName = kDefaultLoggerName;
    m_maxSize = -1;
    m_fileSemaphore = -1;
    m_customs.clear();
    m_startSize = 0;
}

void COrvLoggerInternal::ReadConfiguration() {
    SYS_CfgHandle* handle = SYS_CfgOpen(m_configurationName.c_str());
    if (handle == nullptr) {
        return;
    }
    int switchValue = 0;
    const bool present = SYS_CfgGetInt(handle, m_loggerName.c_str(), &switchValue) == 0;
    SYS_CfgClose(handle);
    if (!present) {
        return;
    }
    if (switchValue != 0) {
        const std::string settingsName = m_configurationName + "/" + m_loggerName;
        handle = SYS_CfgOpen(settingsName.c_str());
        if (handle == nullptr) {
            return;
        }
        ReadSettings(handle);
        SYS_CfgClose(handle);
    }
    m_initialized = true;
    if ((m_outputs & ORV_OUT_TEXTFILE) != 0 && !m_textFilePath.empty()) {
        m_fileSemaphore = SYS_SemaphoreInit(kFileSemaphoreName);
    }
    if (m_enabled && m_outputs != 0 && (m_levelMask & ORV_MASK_INFO) != 0) {
        Log(1, "Logger '%s' is created", m_loggerName.c_str());
    }
}

void COrvLoggerInternal::ReadSettings(SYS_CfgHandle* handle) {
    char text[kMaxPathLength + 1];
    std::size_t capacity = 0;

    if (GetFlag(handle, "Output.Type.TextFile")) {
        capacity = sizeof text;
        if (SYS_CfgGetValue(handle, "Output.Location", text, &capacity) == 0) {
            m_textFilePath = text;
            m_outputs = ORV_OUT_TEXTFILE;
        }
    }
    if (GetFlag(handle, "Output.Type.DEBUGGER")) {
        m_outputs |= ORV_OUT_DEBUGGER;
    }
    if (GetFlag(handle, "Output.Type.StdErr")) {
        m_outputs |= ORV_OUT_STDERR;
    }

    // Read wider than the other integers so that limits past 999 KB work.
    char number[16];
    capacity = sizeof number;
    m_maxSize = -1;
    if (SYS_CfgGetValue(handle, "Output.TextFile.MaxKByteSize", number, &capacity) == 0) {
        const long long kilobytes = std::strtoll(number, nullptr, 10);
        if (kilobytes > 0) {
            m_maxSize = kilobytes * 1024;
        }
    }
    if ((m_outputs & ORV_OUT_TEXTFILE) != 0 && !m_textFilePath.empty()) {
        const int fd = SYS_OpenForAppend(m_textFilePath);
        struct stat info;
        if (fd >= 0 && fstat(fd, &info) == 0) {
            m_startSize = info.st_size;
        }
        if (fd >= 0) {
            close(fd);
        }
    }

    const struct {
        const char* key;
        unsigned mask;
    } levels[] = {{"Log.Level.DEBUG", ORV_MASK_DEBUG},
                  {"Log.Level.INFO", ORV_MASK_INFO},
                  {"Log.Level.ERROR", ORV_MASK_ERROR},
                  {"Log.Level.CRITICAL", ORV_MASK_CRITICAL}};
    for (const auto& level : levels) {
        if (GetFlag(handle, level.key)) {
            m_levelMask |= level.mask;
        }
    }

    char customs[kCustomsCapacity];
    capacity = sizeof customs;
    if (SYS_CfgGetValue(handle, "Log.Customs", customs, &capacity) == 0) {
        m_customs = customs;
    }

    m_enabled = true;
    m_configured = true;
    m_lineCounter = 0;
    m_colour = false;
    if ((m_outputs & ORV_OUT_STDERR) != 0) {
        if (const char* term = std::getenv("TERM")) {
            for (const char* colourTerm : kColourTerminals) {
                if (std::strcmp(term, colourTerm) == 0) {
                    m_colour = true;
                }
            }
        }
    }
}

const char* COrvLoggerInternal::LevelName(unsigned mask) {
    switch (mask) {
    case ORV_MASK_DEBUG:
        return "DEBUG   :";
    case ORV_MASK_INFO:
        return "INFO    :";
    case ORV_MASK_ERROR:
        return "ERROR   :";
    case ORV_MASK_CRITICAL:
        return "CRITICAL:";
    default:
        return "UNKNOWN_LOG_LEVEL";
    }
}

int COrvLoggerInternal::Admit(int levelIndex) const {
    if (levelIndex < 0 || levelIndex > 3) {
        return -1;
    }
    return m_enabled && m_outputs != 0 && (m_levelMask & MaskOf(levelIndex)) != 0 ? 1 : 0;
}

int COrvLoggerInternal::Log(int levelIndex, const char* format, ...) {
    const int admitted = Admit(levelIndex);
    if (admitted <= 0 || format == nullptr) {
        return admitted;
    }
    try {
        va_list arguments;
        va_start(arguments, format);
        const std::string text = FormatV(format, arguments);
        va_end(arguments);
        return WriteLine(levelIndex, text.c_str());
    } catch (...) {
        return 0; // out of memory: the line is lost
    }
}

int COrvLoggerInternal::LogBuffer(int levelIndex, const char* prefix, const unsigned char* bytes,
                                  std::size_t count) {
    const int admitted = Admit(levelIndex);
    if (admitted <= 0) {
        return admitted;
    }
    try {
        std::string text = prefix != nullptr ? prefix : "";
        if (bytes != nullptr) {
            text += ByteVector::ToHex(bytes, count);
        }
        return WriteLine(levelIndex, text.c_str());
    } catch (...) {
        return 0;
    }
}

int COrvLoggerInternal::LogBufferFormat(int levelIndex, const unsigned char* bytes,
                                        std::size_t count, const char* format, ...) {
    const int admitted = Admit(levelIndex);
    if (admitted <= 0 || format == nullptr) {
        return admitted;
    }
    try {
        va_list arguments;
        va_start(arguments, format);
        const std::string prefix = FormatV(format, arguments);
        va_end(arguments);
        return LogBuffer(levelIndex, prefix.c_str(), bytes, count);
    } catch (...) {
        return 0;
    }
}

bool COrvLoggerInternal::GetSettings(OrvLoggerSettings& settings) const {
    settings = OrvLoggerSettings();
    if (!m_initialized) {
        return false;
    }
    settings.configurationName = m_configurationName;
    settings.loggerName = m_loggerName;
    settings.enabled = m_enabled;
    settings.criticalOn = (m_levelMask & ORV_MASK_CRITICAL) != 0;
    settings.debugOn = (m_levelMask & ORV_MASK_DEBUG) != 0;
    settings.errorOn = (m_levelMask & ORV_MASK_ERROR) != 0;
    settings.infoOn = (m_levelMask & ORV_MASK_INFO) != 0;
    settings.debuggerOutput = (m_outputs & ORV_OUT_DEBUGGER) != 0;
    settings.stdErrOutput = (m_outputs & ORV_OUT_STDERR) != 0;
    settings.textFileOutput = (m_outputs & ORV_OUT_TEXTFILE) != 0;
    settings.maxSize = m_maxSize;
    settings.textFilePath = m_textFilePath;
    settings.customs = m_customs;
    settings.configured = m_configured;
    return true;
}

int COrvLoggerInternal::WriteLine(int levelIndex, const char* text) noexcept {
    try {
        const unsigned mask = MaskOf(levelIndex);
        char prefix[48];
        std::snprintf(prefix, sizeof prefix, "%06u:%s", static_cast<unsigned>(m_lineCounter),
                      LevelName(mask));
        std::string line = std::string(prefix) + "[" + TimeStamp() + "] " + text + "\n";

        if ((m_outputs & ORV_OUT_TEXTFILE) != 0 && !m_textFilePath.empty()) {
            WriteToFile(line);
        }
        if ((m_outputs & ORV_OUT_STDERR) != 0) {
            if (m_colour) {
                std::fprintf(stderr, "%s%s%s\n", ColourOf(levelIndex), line.c_str(),
                             levelIndex == 0 ? "" : "\033[0m");
            } else {
                std::fprintf(stderr, "%s\n", line.c_str());
            }
        }
        // The debugger output has no counterpart on this platform.
        ++m_lineCounter;
        return static_cast<int>(line.size());
    } catch (...) {
        return 0;
    }
}

void COrvLoggerInternal::WriteToFile(const std::string& line) noexcept {
    const bool locked = m_fileSemaphore >= 0 && SYS_SemaphoreLock(m_fileSemaphore) == 0;
    if (m_maxSize > 0) {
        // Checked against the file itself: other processes append too.
        struct stat info;
        if (stat(m_textFilePath.c_str(), &info) == 0 && info.st_size > 0 &&
            static_cast<long long>(info.st_size) + static_cast<long long>(line.size()) >
                m_maxSize) {
            const std::string old = m_textFilePath + ".1";
            std::rename(m_textFilePath.c_str(), old.c_str());
        }
    }
    SYS_AppendToFile(m_textFilePath, line.data(), line.size());
    // Only a hold we own may be given back, or the semaphore would count past one.
    if (locked) {
        SYS_SemaphoreUnlock(m_fileSemaphore);
    }
}

IOrvLogger* CreateLogger(const char* configurationName, const char* loggerName) {
    try {
        auto* logger = new COrvLoggerInternal(configurationName, loggerName);
        if (!logger->IsInitialized()) {
            delete logger;
            return nullptr;
        }
        return logger;
    } catch (...) {
        return nullptr;
    }
}

} // namespace ZAZ
