#include "Zaz/OsException.h"

namespace ZAZ {

OsException::OsException(unsigned long code, const char* message)
    : CardFrameworkException(message), m_code(static_cast<std::uint32_t>(code)) {}

OsException::~OsException() = default;

} // namespace ZAZ
