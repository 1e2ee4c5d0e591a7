#include "Zaz/SharedMemory.h"

#include "Zaz/CardFrameworkException.h"
#include "Zaz/SysSharedMemory.h"
#include "Zaz/TracePoint.h"

#include <cstdio>
#include <cstring>

namespace ZAZ {

SharedMemory::~SharedMemory() {
    if (m_handle != nullptr && m_address != nullptr) {
        Disconnect();
    }
}

void SharedMemory::Connect(const std::string& name, std::uint32_t size) {
    if (IsConnected()) {
        Disconnect(); // one object, one segment
    }
    m_name = name;
    m_size = size;
    bool created = false;
    m_created = false;
    if (SYS_shm_exists(name.c_str())) {
        m_handle = SYS_shm_get(name.c_str());
        Trace(SEV_DEBUG, LVL_DEBUG, "SharedMemory", __LINE__, "Connect", [&name] {
            return "\t\tSharedMemory                 -> SYS_shm_get(\"" + name + "\")\n";
        });
    } else {
        m_handle = SYS_shm_create(name.c_str(), size);
        created = true;
        Trace(SEV_DEBUG, LVL_DEBUG, "SharedMemory", __LINE__, "Connect", [&name, size] {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(size));
            return "\t\tSharedMemory                 -> SYS_shm_create(\"" + name + "\", size=0x" +
                   hex + ")\n";
        });
    }
    if (m_handle == nullptr && !created) {
        // Too short to join: a creator killed between shm_open and ftruncate
        // left it, and it never served anyone. Built again, so that the name
        // is not lost for good to every later process.
        m_handle = SYS_shm_create(name.c_str(), size);
        created = true;
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
    m_address = reinterpret_cast<unsigned char*>(m_handle->counter) + kShmCounterSize;
    if (created) {
        std::memset(m_address, 0, size);
    }
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
