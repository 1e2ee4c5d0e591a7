#include "Zaz/PCSCWrapper.h"

namespace ZAZ {

PCSCWrapper::~PCSCWrapper() = default;

} // namespace ZAZ
