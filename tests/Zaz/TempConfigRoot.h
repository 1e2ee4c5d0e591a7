#ifndef TESTS_ZAZ_TEMPCONFIGROOT_H
#define TESTS_ZAZ_TEMPCONFIGROOT_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

// A throw-away configuration root: a fresh directory that QV_PATH points at
// for the lifetime of the object. The previous QV_PATH comes back afterwards.
class TempConfigRoot {
public:
    TempConfigRoot() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ias-cfg-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        m_path = pattern;
        if (const char* old = std::getenv("QV_PATH")) {
            m_hadOld = true;
            m_old = old;
        }
        setenv("QV_PATH", m_path.c_str(), 1);
    }
    ~TempConfigRoot() {
        if (m_hadOld) {
            setenv("QV_PATH", m_old.c_str(), 1);
        } else {
            unsetenv("QV_PATH");
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempConfigRoot(const TempConfigRoot&) = delete;
    TempConfigRoot& operator=(const TempConfigRoot&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

    /// Writes `content` to the file `relative` below the root, creating the
    /// directories on the way.
    std::string Write(const std::string& relative, const std::string& content) const {
        const std::filesystem::path file = std::filesystem::path(m_path) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }
    void MakeDirectory(const std::string& relative) const {
        std::filesystem::create_directories(std::filesystem::path(m_path) / relative);
    }

private:
    std::string m_path;
    std::string m_old;
    bool m_hadOld = false;
};

#endif
