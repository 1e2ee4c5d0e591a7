#ifndef ZAZ_SHAREDMEMORY_H
#define ZAZ_SHAREDMEMORY_H

#include <cstdint>
#include <string>

struct SYS_shm_handle;

namespace ZAZ {

/// A named shared-memory segment with a use counter, shared by every
/// process that connects to the same name. Access to the data is the
/// caller's to serialise (with a Synchronize semaphore).
class SharedMemory {
public:
    SharedMemory() = default;
    virtual ~SharedMemory();

    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    /// Maps the segment, creating it with `size` zeroed data bytes when it
    /// does not exist or cannot be joined. Throws CardFrameworkException and
    /// stays disconnected on failure.
    void Connect(const std::string& name, std::uint32_t size);
    /// Unmaps; the last process to disconnect removes the segment.
    void Disconnect();

    /// The data byte at `index`, or null (and an error log line) when the
    /// index is outside the data asked for or outside the mapped segment.
    /// Throws "Shared memory is not opened." when not connected.
    unsigned char* GetBuffer(long index);
    unsigned char* operator[](long index);

    static bool Exists(const std::string& name);

    std::uint32_t GetSize() const { return m_size; }
    bool IsConnected() const { return m_handle != nullptr && m_address != nullptr; }
    const std::string& GetName() const { return m_name; }
    /// The segment's current use count; 0 when not connected.
    std::uint32_t GetUseCount() const;
    /// Whether the last Connect made a new segment (absent, or not joinable,
    /// e.g. left too short by a killed creator): its data holds nothing yet.
    bool Created() const { return m_created; }

private:
    unsigned char* Access(long index, const char* function, const char* form);

    std::string m_name;
    SYS_shm_handle* m_handle = nullptr;
    unsigned char* m_address = nullptr;
    std::uint32_t m_size = 0;
    bool m_created = false;
};

} // namespace ZAZ

#endif
