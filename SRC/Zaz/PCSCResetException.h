#ifndef ZAZ_PCSCRESETEXCEPTION_H
#define ZAZ_PCSCRESETEXCEPTION_H

#include "Zaz/PCSCException.h"

namespace ZAZ {

/// The card was reset, removed or powered down under us (0x80100067,
/// 0x80100068, 0x8010001D, 0x8010001E): the terminal reconnects on these.
class PCSCResetException : public PCSCException {
public:
    PCSCResetException(unsigned long origin, unsigned long errorCode, const char* text);
    ~PCSCResetException() override;
};

} // namespace ZAZ

#endif
