#ifndef ZAZ_SYNCHRONIZE_H
#define ZAZ_SYNCHRONIZE_H

#include <string>

namespace ZAZ {

/// A named System V semaphore shared by every process that uses the name,
/// taken and released through SemaphoreLock.
class Synchronize {
public:
    /// Throws CardFrameworkException "Unable to initialize semaphore.".
    explicit Synchronize(const std::string& name);
    virtual ~Synchronize();

    Synchronize(const Synchronize&) = delete;
    Synchronize& operator=(const Synchronize&) = delete;

    const std::string& GetName() const { return m_name; }
    int GetId() const { return m_id; }

private:
    std::string m_name;
    int m_id = -1;
};

} // namespace ZAZ

#endif
