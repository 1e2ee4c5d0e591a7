#include "Zaz/SysSharedMemory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kNameDigits = 28;
constexpr mode_t kMode = 0777;

// The counter is shared with other processes, so every update is atomic.
std::uint32_t AddToCounter(std::uint32_t* counter, std::int32_t delta) {
    return __atomic_add_fetch(counter, static_cast<std::uint32_t>(delta), __ATOMIC_SEQ_CST);
}

SYS_shm_handle* MakeHandle(const std::string& objectName, void* mapping, int fd,
                           std::size_t length) {
    auto* handle = new (std::nothrow) SYS_shm_handle;
    char* nameCopy = new (std::nothrow) char[objectName.size() + 1];
    if (handle == nullptr || nameCopy == nullptr) {
        delete handle;
        delete[] nameCopy;
        return nullptr;
    }
    std::memcpy(nameCopy, objectName.c_str(), objectName.size() + 1);
    handle->objectName = nameCopy;
    handle->counter =
        reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(mapping) + kShmHeaderSize);
    handle->fd = fd;
    handle->length = length;
    return handle;
}

/// Sizes a new (or too short) object, writes a random header and counts the
/// caller in. Null on failure, the descriptor left to the caller.
SYS_shm_handle* Initialise(const std::string& objectName, int fd, std::uint32_t size) {
    const std::size_t length = kShmDataOffset + size;
    if (ftruncate(fd, static_cast<off_t>(length)) != 0) {
        return nullptr;
    }
    void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) {
        return nullptr;
    }
    SYS_shm_handle* handle = nullptr;
    if (RAND_bytes(static_cast<unsigned char*>(mapping), static_cast<int>(kShmHeaderSize)) == 1) {
        handle = MakeHandle(objectName, mapping, fd, length);
    }
    if (handle == nullptr) {
        munmap(mapping, length);
        return nullptr;
    }
    // Added, not stored: a process may have joined as soon as the size was
    // set, and its count must not be lost.
    AddToCounter(handle->counter, 1);
    return handle;
}

} // namespace

std::string SYS_shm_object_name(const char* name) {
    unsigned char digest[SHA_DIGEST_LENGTH];
    const char* text = name != nullptr ? name : "";
    SHA1(reinterpret_cast<const unsigned char*>(text), std::strlen(text), digest);
    std::string objectName = "/";
    for (std::size_t i = 0; i < kNameDigits / 2; ++i) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", digest[i]);
        objectName += hex;
    }
    return objectName;
}

int SYS_shm_exists(const char* name) {
    const std::string objectName = SYS_shm_object_name(name);
    const int fd = shm_open(objectName.c_str(), O_RDWR | O_EXCL, kMode);
    if (fd < 0) {
        return 0;
    }
    close(fd);
    return 1;
}

namespace {
// shm_open of the object `name` stands for, its name left in `objectName`;
// -1 with errno set on failure (ENOMEM when the name cannot even be made).
int OpenObject(const char* name, int flags, std::string& objectName) {
    try {
        objectName = SYS_shm_object_name(name);
    } catch (...) {
        errno = ENOMEM;
        return -1;
    }
    return shm_open(objectName.c_str(), flags, kMode);
}
} // namespace

SYS_shm_handle* SYS_shm_get(const char* name) {
    std::string objectName;
    const int fd = OpenObject(name, O_RDWR, objectName);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || static_cast<std::size_t>(info.st_size) < kShmDataOffset) {
        close(fd);
        errno = EINVAL; // not sized yet, or never will be
        return nullptr;
    }
    const auto length = static_cast<std::size_t>(info.st_size);
    void* mapping = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapping == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    SYS_shm_handle* handle = MakeHandle(objectName, mapping, fd, length);
    if (handle == nullptr) {
        munmap(mapping, length);
        close(fd);
        return nullptr;
    }
    // A count of 0 is joined too: it is what a user killed between creating and
    // counting, or between its decrement and the unlink, leaves behind. Refusing
    // it would lock every later process out of the name for good.
    AddToCounter(handle->counter, 1);
    return handle;
}

SYS_shm_handle* SYS_shm_create(const char* name, std::uint32_t size) {
    std::string objectName;
    // Exclusive: of two processes that both found no segment, the second
    // must join the first's instead of resetting it under a live user.
    const int fd = OpenObject(name, O_RDWR | O_CREAT | O_EXCL, objectName);
    if (fd < 0) {
        return nullptr; // errno EEXIST: someone else created it
    }
    // Other users may run under other accounts, so the umask must not narrow
    // the mode; changing the umask instead would race with every thread of
    // the host application that creates a file meanwhile.
    SYS_shm_handle* handle = fchmod(fd, kMode) == 0 ? Initialise(objectName, fd, size) : nullptr;
    if (handle == nullptr) {
        shm_unlink(objectName.c_str());
        close(fd);
        errno = EIO;
        return nullptr;
    }
    return handle;
}

SYS_shm_handle* SYS_shm_rebuild(const char* name, std::uint32_t size) {
    std::string objectName;
    const int fd = OpenObject(name, O_RDWR, objectName);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info;
    SYS_shm_handle* handle = nullptr;
    if (fstat(fd, &info) == 0 && static_cast<std::size_t>(info.st_size) < kShmDataOffset) {
        handle = Initialise(objectName, fd, size);
    }
    if (handle == nullptr) {
        close(fd);
        return nullptr;
    }
    // A leftover: whatever it counted belonged to nobody.
    __atomic_store_n(handle->counter, 1u, __ATOMIC_SEQ_CST);
    return handle;
}

int SYS_shm_delete(SYS_shm_handle* handle) {
    if (handle == nullptr) {
        return -1;
    }
    int result = 0;
    const std::uint32_t remaining = AddToCounter(handle->counter, -1);
    munmap(reinterpret_cast<unsigned char*>(handle->counter) - kShmHeaderSize, handle->length);
    if (close(handle->fd) != 0) {
        result = -1;
    }
    if (remaining == 0 && shm_unlink(handle->objectName) != 0) {
        result = -1;
    }
    delete[] handle->objectName;
    delete handle;
    return result;
}
