#include "Zaz/SysConfig.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <new>
#include <sys/stat.h>

struct SYS_CfgHandle {
    std::FILE* file;
    char* path;
    DIR* directory; // null for a plain-file configuration
};

namespace {

constexpr std::size_t kMaxPath = 4096;
constexpr int kLineSize = 1024;

bool ValidArguments(SYS_CfgHandle* handle, const char* key, char* buffer, std::size_t* capacity) {
    return handle != nullptr && handle->file != nullptr && key != nullptr && buffer != nullptr &&
           capacity != nullptr;
}

/// Reads lines from the current position until one starts with "key: ".
/// The stream stays just after the matching line so repeated keys come out
/// in file order.
int Search(SYS_CfgHandle* handle, const char* key, char* buffer, std::size_t* capacity) {
    const std::size_t keyLength = std::strlen(key);
    char line[kLineSize];
    while (std::fgets(line, sizeof line, handle->file) != nullptr) {
        std::size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n') {
            line[--length] = '\0';
        }
        if (length > 0 && line[length - 1] == '\r') {
            line[--length] = '\0';
        }
        if (line[0] == '#') {
            continue;
        }
        if (length < keyLength + 2 || std::strncmp(line, key, keyLength) != 0 ||
            line[keyLength] != ':' || line[keyLength + 1] != ' ') {
            continue;
        }
        const char* value = line + keyLength + 2;
        std::size_t copied = 0;
        if (*capacity > 0) {
            copied = std::min(std::strlen(value), *capacity - 1);
            std::memcpy(buffer, value, copied);
            buffer[copied] = '\0';
        }
        *capacity = copied;
        return 0;
    }
    return -1;
}

int NextEntry(SYS_CfgHandle* handle, char* buffer, std::size_t* capacity) {
    if (handle == nullptr || handle->directory == nullptr || buffer == nullptr ||
        capacity == nullptr) {
        return -1;
    }
    while (const dirent* entry = readdir(handle->directory)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, "conf") == 0 || std::strcmp(name, ".") == 0 ||
            std::strcmp(name, "..") == 0) {
            continue;
        }
        const std::size_t length = std::strlen(name);
        if (length < *capacity) {
            std::memcpy(buffer, name, length + 1);
            *capacity = length + 1;
        } else {
            std::memcpy(buffer, name, *capacity);
        }
        return 0;
    }
    return -1;
}

char* CopyString(const char* text) {
    const std::size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text, length + 1);
    }
    return copy;
}

} // namespace

std::string SYS_CfgRoot() {
    const char* root = std::getenv("QV_PATH");
    return (root != nullptr && root[0] != '\0') ? root : "/etc/Quovanta";
}

SYS_CfgHandle* SYS_CfgOpen(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    char path[kMaxPath + 1];
    int written = 0;
    if (name[0] == '/') {
        written = std::snprintf(path, sizeof path, "%s", name);
    } else {
        written = std::snprintf(path, sizeof path, "%s/%s", SYS_CfgRoot().c_str(), name);
    }
    if (written < 0 || static_cast<std::size_t>(written) > kMaxPath) {
        return nullptr;
    }
    struct stat info;
    if (stat(path, &info) != 0) {
        return nullptr;
    }
    DIR* directory = nullptr;
    if (S_ISDIR(info.st_mode)) {
        directory = opendir(path);
        if (directory == nullptr) {
            return nullptr;
        }
        char conf[kMaxPath + 1];
        written = std::snprintf(conf, sizeof conf, "%s/conf", path);
        if (written < 0 || static_cast<std::size_t>(written) > kMaxPath) {
            closedir(directory);
            return nullptr;
        }
        std::memcpy(path, conf, static_cast<std::size_t>(written) + 1);
    }
    std::FILE* file = std::fopen(path, "r");
    char* pathCopy = file != nullptr ? CopyString(path) : nullptr;
    auto* handle =
        pathCopy != nullptr ? new (std::nothrow) SYS_CfgHandle{file, pathCopy, directory} : nullptr;
    if (handle == nullptr) {
        std::free(pathCopy);
        if (file != nullptr) {
            std::fclose(file);
        }
        if (directory != nullptr) {
            closedir(directory);
        }
    }
    return handle;
}

int SYS_CfgClose(SYS_CfgHandle* handle) {
    if (handle == nullptr) {
        return -1;
    }
    int result = 0;
    if (handle->directory != nullptr) {
        result = closedir(handle->directory);
    }
    if (handle->file != nullptr) {
        result = std::fclose(handle->file);
    }
    std::free(handle->path);
    delete handle;
    return result;
}

int SYS_CfgFindFirst(SYS_CfgHandle* handle, const char* key, char* buffer, std::size_t* capacity) {
    if (!ValidArguments(handle, key, buffer, capacity)) {
        return -1;
    }
    std::rewind(handle->file);
    return Search(handle, key, buffer, capacity);
}

int SYS_CfgFindNext(SYS_CfgHandle* handle, const char* key, char* buffer, std::size_t* capacity) {
    if (!ValidArguments(handle, key, buffer, capacity)) {
        return -1;
    }
    return Search(handle, key, buffer, capacity);
}

int SYS_CfgGetValue(SYS_CfgHandle* handle, const char* key, char* buffer, std::size_t* capacity) {
    if (!ValidArguments(handle, key, buffer, capacity)) {
        return -1;
    }
    if (Search(handle, key, buffer, capacity) == 0) {
        return 0;
    }
    std::rewind(handle->file);
    return Search(handle, key, buffer, capacity);
}

int SYS_CfgGetInt(SYS_CfgHandle* handle, const char* key, int* value) {
    if (value == nullptr) {
        return -1;
    }
    char text[4];
    std::size_t capacity = sizeof text;
    if (SYS_CfgGetValue(handle, key, text, &capacity) != 0) {
        return -1;
    }
    *value = static_cast<int>(std::strtol(text, nullptr, 10));
    return 0;
}

int SYS_CfgFirstEntry(SYS_CfgHandle* handle, char* buffer, std::size_t* capacity) {
    if (handle == nullptr || handle->directory == nullptr) {
        return -1;
    }
    rewinddir(handle->directory);
    return NextEntry(handle, buffer, capacity);
}

int SYS_CfgNextEntry(SYS_CfgHandle* handle, char* buffer, std::size_t* capacity) {
    return NextEntry(handle, buffer, capacity);
}
