#ifndef ZAZ_SYSSHAREDMEMORY_H
#define ZAZ_SYSSHAREDMEMORY_H

#include <cstddef>
#include <cstdint>
#include <string>

// Named POSIX shared-memory segments. Each object holds a 64-byte random
// header, a 32-bit use counter and then the data; the last process to let
// go of a segment removes it.

constexpr std::size_t kShmHeaderSize = 64;
constexpr std::size_t kShmCounterSize = 4;
constexpr std::size_t kShmDataOffset = kShmHeaderSize + kShmCounterSize;

/// A mapped segment (owned by this layer).
struct SYS_shm_handle {
    char* objectName;       // the derived POSIX name
    std::uint32_t* counter; // inside the mapping, followed by the data
    int fd;
    std::size_t length; // the whole mapping
};

/// The POSIX object name of a segment name: "/" and the first 28 upper-case
/// hex digits of the SHA-1 digest of the name's bytes.
std::string SYS_shm_object_name(const char* name);

/// 1 when the segment's object can be opened, else 0.
int SYS_shm_exists(const char* name);
/// Maps an existing segment and counts this user in, also when the count reads
/// 0 (left by a user killed mid-way). Null on failure (too short to hold the
/// header and count, or not mappable).
SYS_shm_handle* SYS_shm_get(const char* name);
/// Creates the segment with `size` data bytes (zero), a fresh random header
/// and a use count of 1, with mode 0777 whatever the umask. Never touches an
/// existing segment: null with errno EEXIST when there is one, null on any
/// other failure.
SYS_shm_handle* SYS_shm_create(const char* name, std::uint32_t size);
/// Takes over an existing object too short to hold the header and count (a
/// creator killed before sizing it): sizes it and starts it afresh, as
/// SYS_shm_create would. Null when there is none, or it is not that short.
SYS_shm_handle* SYS_shm_rebuild(const char* name, std::uint32_t size);
/// Counts this user out and unmaps; the last user removes the object.
/// 0 on success, -1 for a null handle or a failing close or unlink.
int SYS_shm_delete(SYS_shm_handle* handle);

#endif
