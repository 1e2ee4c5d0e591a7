#include "Card/CTerminal.h"

namespace IAS {

CTerminal::~CTerminal() = default;

} // namespace IAS
