#include "Zaz/OutOfMemory.h"

namespace ZAZ {

OutOfMemory::OutOfMemory(const char* message) : CardFrameworkException(message) {}

OutOfMemory::~OutOfMemory() = default;

} // namespace ZAZ
