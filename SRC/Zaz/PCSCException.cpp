#include "Zaz/PCSCException.h"

namespace ZAZ {

PCSCException::PCSCException(unsigned long origin, unsigned long errorCode, const char* text)
    : SCardCommException(origin, errorCode, text) {}

PCSCException::~PCSCException() = default;

} // namespace ZAZ
