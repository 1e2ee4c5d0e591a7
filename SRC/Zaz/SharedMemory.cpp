#include "Zaz/SharedMemory.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/SysSharedMemory.h"
#include "Zaz/TracePoint.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace ZAZ {

SharedMemory::~SharedMemory() {
    if (m_handle != nullptr && m_address != nullptr) {
        Disconnect();
    }
}

namespace {

constexpr int kJoinRetries = 20;
constexpr useconds_t kJoinPauseMicros = 5000;

/// Maps a segment someone else created. One still too short to join is given
/// a moment, as its creator may be sizing it; after that it is a creator's
/// that died and is rebuilt. A segment the process may not open fails at once.
SYS_shm_handle* Join(const std::string& name, std::uint32_t size, bool& created) {
    for (int attempt = 0; attempt <= kJoinRetries; ++attempt) {
        if (SYS_shm_handle* handle = SYS_shm_get(name.c_str())) {
            return handle;
        }
        if (errno == ENOENT) { // its last user removed it meanwhile
            SYS_shm_handle* handle = SYS_shm_create(name.c_str(), size);
            if (handle != nullptr || errno != EEXIST) {
                created = handle != nullptr;
                return handle;
            }
            continue;
        }
        if (errno != EINVAL) {
            return nullptr;
        }
        usleep(kJoinPauseMicros);
    }
    SYS_shm_handle* handle = SYS_shm_rebuild(name.c_str(), size);
    created = handle != nullptr;
    return handle;
}

} // namespace

void SharedMemory::Connect(const std::string& name, std::uint32_t size) {
    if (IsConnected()) {
        Disconnect(); // one object, one segment
    }
    m_name = name;
    m_size = size;
    bool created = false;
    m_created = false;
    bool join = SYS_shm_exists(name.c_str()) != 0;
    if (!join) {
        m_handle = SYS_shm_create(name.c_str(), size);
        created = m_handle != nullptr;
        join = m_handle == nullptr && errno == EEXIST; // another process was first
        Trace(SEV_DEBUG, LVL_DEBUG, "SharedMemory", __LINE__, "Connect", [&name, size] {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(size));
            return "\t\tSharedMemory                 -> SYS_shm_create(\"" + name + "\", size=0x" +
                   hex + ")\n";
        });
    }
    if (join) {
        m_handle = Join(name, size, created);
        Trace(SEV_DEBUG, LVL_DEBUG, "SharedMemory", __LINE__, "Connect", [&name] {
            return "\t\tSharedMemory                 -> SYS_shm_get(\"" + name + "\")\n";
        });
    }
    if (m_handle == nullptr || m_handle->counter == nullptr) {
        if (m_handle != nullptr) {
            SYS_shm_delete(m_handle);
        }
        m_handle = nullptr;
        m_address = nullptr;
        m_size = 0;
        throw CardFrameworkException(
            "Unable to get shared memory. SYS_shm_create()/SYS_shm_get() failed.");
    }
    // A created segment's data is already zero from its sizing; clearing it
    // again could wipe what a process that joined meanwhile has written.
    m_address = reinterpret_cast<unsigned char*>(m_handle->counter) + kShmCounterSize;
    m_created = created;
}

void SharedMemory::Disconnect() {
    m_address = nullptr;
    if (m_handle != nullptr) {
        SYS_shm_delete(m_handle);
        m_handle = nullptr;
    }
    Trace(SEV_DEBUG, LVL_DEBUG, "SharedMemory", __LINE__, "Disconnect", [this] {
        return "\t\tSharedMemory                 -> SYS_shm_delete(\"" + m_name + "\")\n";
    });
}

unsigned char* SharedMemory::Access(long index, const char* function, const char* form) {
    if (!IsConnected()) {
        throw CardFrameworkException("Shared memory is not opened.");
    }
    // An existing segment keeps the size its creator gave it, which may be
    // smaller than what this caller asked for: only mapped bytes are handed out.
    const std::size_t mapped = m_handle->length - kShmDataOffset;
    if (index >= 0 && static_cast<unsigned long>(index) < m_size &&
        static_cast<std::size_t>(index) < mapped) {
        return m_address + index;
    }
    Trace(SEV_ERROR, LVL_ERROR, "SharedMemory", __LINE__, function, [function, form, index] {
        char text[160];
        std::snprintf(text, sizeof text, form, index);
        return std::string("ERROR\t") + function + ":\t" + text + "\n";
    });
    return nullptr;
}

unsigned char* SharedMemory::GetBuffer(long index) {
    return Access(index, "GetBuffer",
                  "!!!!!!\t\tSharedMemory                 -> GetBuffer(\"%ld\") : Index out of "
                  "Bound");
}

unsigned char* SharedMemory::operator[](long index) {
    return Access(index, "operator[]",
                  "!!!!!!\t\tSharedMemory                 -> operator[\"%ld\"] : Index out of "
                  "Bound");
}

bool SharedMemory::Exists(const std::string& name) {
    return SYS_shm_exists(name.c_str()) != 0;
}

std::uint32_t SharedMemory::GetUseCount() const {
    return IsConnected() ? __atomic_load_n(m_handle->counter, __ATOMIC_SEQ_CST) : 0;
}

} // namespace ZAZ
