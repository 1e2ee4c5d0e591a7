#include "Zaz/IsoException.h"

namespace ZAZ {

IsoException::IsoException(unsigned short sw, const char* message)
    : CardFrameworkException(message), m_sw(sw) {}

IsoException::IsoException(const char* message) : CardFrameworkException(message), m_sw(0) {}

IsoException::~IsoException() = default;

} // namespace ZAZ
