#include "Api/Entry/ProcessRegistry.h"

#include <algorithm>

#include <unistd.h>

namespace ias {

std::vector<std::int32_t>& ProcessRegistry::Pids() {
    static std::vector<std::int32_t> pids;
    return pids;
}

void ProcessRegistry::Add(std::int32_t pid) {
    Pids().push_back(pid);
}

void ProcessRegistry::Remove(std::int32_t pid) {
    auto& pids = Pids();
    pids.erase(std::remove(pids.begin(), pids.end(), pid), pids.end());
}

bool ProcessRegistry::Contains(std::int32_t pid) {
    const auto& pids = Pids();
    return std::find(pids.begin(), pids.end(), pid) != pids.end();
}

bool ProcessRegistry::ContainsSelf() {
    return Contains(static_cast<std::int32_t>(getpid()));
}

} // namespace ias
