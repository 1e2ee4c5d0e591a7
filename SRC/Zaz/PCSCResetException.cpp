#include "Zaz/PCSCResetException.h"

namespace ZAZ {

PCSCResetException::PCSCResetException(unsigned long origin, unsigned long errorCode,
                                       const char* text)
    : PCSCException(origin, errorCode, text) {}

PCSCResetException::~PCSCResetException() = default;

} // namespace ZAZ
