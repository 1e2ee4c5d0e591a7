#include "Zaz/Logger.h"
#include "Zaz/SysAppend.h"

#include "Zaz/IOrvLogger.h"
#include "Zaz/TracePoint.h"

#include <cstdio>

namespace ZAZ {

namespace {

// Created lazily and not locked: the library starts no threads of its own.
IOrvLogger* g_configured = nullptr;
Logger* g_logger = nullptr;
bool g_created = false;
bool g_creating = false;
bool g_shuttingDown = false;

void CreatePair() {
    if (g_created || g_creating) {
        return;
    }
    g_creating = true;
    g_configured = CreateLogger("LOG", "ZAZ");
    try {
        g_logger = g_configured != nullptr ? new Logger(*g_configured) : new Logger();
    } catch (...) {
        g_logger = nullptr; // Instance falls back to the inert facade
    }
    g_created = true;
    g_creating = false;
}

void DestroyPair() {
    // Clear the pointers first: a destructor that traces must not see a
    // half-destroyed pair.
    Logger* logger = g_logger;
    IOrvLogger* configured = g_configured;
    g_logger = nullptr;
    g_configured = nullptr;
    g_created = false;
    delete logger;
    delete configured;
}

__attribute__((destructor)) void UnloadLoggers() {
    Logger::Shutdown();
}

} // namespace

Logger& Logger::Instance() {
    if (!g_shuttingDown) {
        CreatePair();
        if (g_logger != nullptr) {
            return *g_logger;
        }
    }
    // Never destroyed: it must answer even while other objects are torn down.
    static Logger* inert = new Logger();
    return *inert;
}

IOrvLogger* Logger::Configured() {
    if (g_shuttingDown) {
        return nullptr;
    }
    CreatePair();
    return g_configured;
}

bool Logger::IsShuttingDown() {
    return g_shuttingDown;
}

void Logger::Shutdown() {
    g_shuttingDown = true;
    DestroyPair();
}

void Logger::ResetProcessLoggers() {
    DestroyPair();
    g_shuttingDown = false;
}

bool Logger::IsOn(int severity) const {
    if (m_threshold <= severity) {
        return true;
    }
    switch (severity) {
    case SEV_VERBOSE:
        return m_verbose;
    case SEV_DEBUG:
        return m_debug;
    case SEV_INFO:
        return m_info;
    case SEV_WARNING:
        return m_warning;
    case SEV_ERROR:
        return m_error;
    default:
        return false;
    }
}

void Logger::Write(int severity, const std::string& text) const {
    if (!IsOn(severity) || m_filePath.empty()) {
        return;
    }
    SYS_AppendToFile(m_filePath, text.data(), text.size());
}

Logger::Logger(const IOrvLogger& configured) {
    OrvLoggerSettings settings;
    if (!configured.GetSettings(settings)) {
        return;
    }
    m_debug = settings.debugOn;
    m_info = settings.infoOn;
    m_warning = settings.infoOn;
    m_error = settings.errorOn;
    // Without text-file output the path is only the built-in placeholder.
    if (settings.textFileOutput) {
        m_filePath = settings.textFilePath;
    }
}

} // namespace ZAZ
