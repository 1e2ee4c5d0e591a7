#ifndef API_ENTRY_PROCESSREGISTRY_H
#define API_ENTRY_PROCESSREGISTRY_H

#include <cstdint>
#include <vector>

namespace ias {

/// The process IDs that hold a library context. Process-wide and without a
/// lock: IASInitialize and IASFinalize are not called concurrently. After a
/// fork the child inherits the parent's list, which does not name the child.
class ProcessRegistry {
public:
    static void Add(std::int32_t pid);
    /// Removes every occurrence.
    static void Remove(std::int32_t pid);
    static bool Contains(std::int32_t pid);
    /// The calling process.
    static bool ContainsSelf();

private:
    static std::vector<std::int32_t>& Pids();
};

} // namespace ias

#endif
