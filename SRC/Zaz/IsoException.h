#ifndef ZAZ_ISOEXCEPTION_H
#define ZAZ_ISOEXCEPTION_H

#include "Zaz/CardFrameworkException.h"

namespace ZAZ {

/// A card answered with a status word other than 9000 (and 61xx).
class IsoException : public CardFrameworkException {
public:
    IsoException(unsigned short sw, const char* message);
    explicit IsoException(const char* message);
    ~IsoException() override;

    unsigned short sw() const { return m_sw; }

private:
    unsigned short m_sw;
};

} // namespace ZAZ

#endif
