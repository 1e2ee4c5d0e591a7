#include "Zaz/Config.h"

#include "Zaz/SysConfig.h"

#include <cstring>

namespace ZAZ {

namespace {
constexpr const char* kLibraryConfiguration = "ZAZ/";
}

std::string Config::GetString(const char* key) const {
    SYS_CfgHandle* handle = SYS_CfgOpen(kLibraryConfiguration);
    if (handle == nullptr) {
        return std::string();
    }
    char value[256];
    std::size_t capacity = sizeof value;
    const bool found = SYS_CfgGetValue(handle, key, value, &capacity) == 0;
    SYS_CfgClose(handle);
    return found ? std::string(value) : std::string();
}

bool Config::IsPCSCCheckIfStarted() const {
    const std::string value = GetString("PCSCCheckIfStarted");
    return value != "false" && value != "FALSE";
}

} // namespace ZAZ
