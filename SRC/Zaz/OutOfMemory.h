#ifndef ZAZ_OUTOFMEMORY_H
#define ZAZ_OUTOFMEMORY_H

#include "Zaz/CardFrameworkException.h"

namespace ZAZ {

/// Storage for a byte vector could not be allocated.
class OutOfMemory : public CardFrameworkException {
public:
    explicit OutOfMemory(const char* message);
    ~OutOfMemory() override;
};

} // namespace ZAZ

#endif
