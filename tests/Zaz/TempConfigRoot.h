#ifndef TESTS_ZAZ_TEMPCONFIGROOT_H
#define TESTS_ZAZ_TEMPCONFIGROOT_H

#include "Zaz/Logger.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

/// Puts an environment variable back as it was when the guard goes.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) {
            m_old = value;
            m_had = true;
        }
    }
    ~EnvGuard() { m_had ? setenv(m_name, m_old.c_str(), 1) : unsetenv(m_name); }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// A fresh directory that QV_PATH names while the object lives.
class TempConfigRoot {
public:
    TempConfigRoot() : m_guard("QV_PATH") {
        std::string pattern = (std::filesystem::temp_directory_path() / "ias-cfg-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern;
        setenv("QV_PATH", m_path.c_str(), 1);
    }
    ~TempConfigRoot() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempConfigRoot(const TempConfigRoot&) = delete;
    TempConfigRoot& operator=(const TempConfigRoot&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }
    /// Writes a file below the root, making the directories on the way.
    void Write(const std::string& relative, const std::string& content) const {
        const std::filesystem::path file = std::filesystem::path(m_path) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }
    void MakeDirectory(const std::string& relative) const {
        std::filesystem::create_directories(std::filesystem::path(m_path) / relative);
    }

private:
    EnvGuard m_guard;
    std::string m_path;
};

/// A temporary root whose library log goes to a text file at every level;
/// the process loggers are rebuilt on entry and on exit.
class LoggedConfigRoot : public TempConfigRoot {
public:
    LoggedConfigRoot() {
        Write("LOG/conf", "ZAZ: 1\n");
        Write("LOG/ZAZ", "Output.Type.TextFile: 1\nOutput.Location: " + *this / "trace.log" +
                             "\nLog.Level.DEBUG: 1\nLog.Level.INFO: 1\nLog.Level.ERROR: 1\n");
        ZAZ::Logger::ResetProcessLoggers();
    }
    ~LoggedConfigRoot() { ZAZ::Logger::ResetProcessLoggers(); }
    std::string Log() const { return ReadFile(*this / "trace.log"); }
};

#endif
