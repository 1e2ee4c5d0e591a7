#ifndef ZAZ_OSEXCEPTION_H
#define ZAZ_OSEXCEPTION_H

#include "Zaz/CardFrameworkException.h"

#include <cstdint>

namespace ZAZ {

/// An operating-system call failed; code is the system's error number.
class OsException : public CardFrameworkException {
public:
    OsException(unsigned long code, const char* message);
    ~OsException() override;

    unsigned long code() const { return m_code; }

private:
    std::uint32_t m_code;
};

} // namespace ZAZ

#endif
