#ifndef ZAZ_CONFIG_H
#define ZAZ_CONFIG_H

#include <string>
#include <utility>

namespace ZAZ {

/// Typed settings of the library's own configuration, the "conf" file of the
/// directory "ZAZ" below the configuration root. Each getter opens, searches
/// and closes the file, so edits take effect without a restart.
class Config {
public:
    Config() = default;
    explicit Config(std::string name) : m_name(std::move(name)) {}
    virtual ~Config() = default;

    const std::string& GetName() const { return m_name; }

    /// The value of `key`, or "" when the configuration or the key is missing.
    std::string GetString(const char* key) const;

    /// "PCSCCheckIfStarted": only "false" or "FALSE" turn the check off.
    bool IsPCSCCheckIfStarted() const;

private:
    std::string m_name;
};

} // namespace ZAZ

#endif
