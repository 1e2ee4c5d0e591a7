#ifndef ZAZ_PCSCEXCEPTION_H
#define ZAZ_PCSCEXCEPTION_H

#include "Zaz/SCardCommException.h"

namespace ZAZ {

/// A PC/SC call returned a non-zero result other than the reset class.
class PCSCException : public SCardCommException {
public:
    PCSCException(unsigned long origin, unsigned long errorCode, const char* text);
    ~PCSCException() override;
};

} // namespace ZAZ

#endif
