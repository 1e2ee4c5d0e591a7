#ifndef TESTS_ZAZ_LOGGEDCONFIGROOT_H
#define TESTS_ZAZ_LOGGEDCONFIGROOT_H

#include "Zaz/Logger.h"
#include "Zaz/TempConfigRoot.h"

#include <fstream>
#include <iterator>
#include <string>

// A temporary configuration root with the library's log going to a text file
// at every level, so tests can read what the trace points wrote. The
// process-wide loggers are rebuilt on entry and on exit.
class LoggedConfigRoot : public TempConfigRoot {
public:
    LoggedConfigRoot() {
        m_log = *this / "trace.log";
        Write("LOG/conf", "ZAZ: 1\n");
        Write("LOG/ZAZ", "Output.Type.TextFile: 1\n"
                         "Output.Location: " +
                             m_log +
                             "\n"
                             "Log.Level.DEBUG: 1\n"
                             "Log.Level.INFO: 1\n"
                             "Log.Level.ERROR: 1\n");
        ZAZ::Logger::ResetProcessLoggers();
    }
    ~LoggedConfigRoot() { ZAZ::Logger::ResetProcessLoggers(); }

    std::string Log() const {
        std::ifstream in(m_log, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void ClearLog() const { std::ofstream(m_log, std::ios::trunc); }

private:
    std::string m_log;
};

#endif
