#ifndef ZAZ_SCARDCOMMEXCEPTION_H
#define ZAZ_SCARDCOMMEXCEPTION_H

#include "Zaz/CardFrameworkException.h"

#include <cstdint>

namespace ZAZ {

/// A failed PC/SC call: the PC/SC result code and where it came from.
class SCardCommException : public CardFrameworkException {
public:
    /// Message "SCardCommException with error code = 0x%.8X", origin 0.
    explicit SCardCommException(unsigned long errorCode);
    /// Message "<text>. Error code = 0x%.8X".
    SCardCommException(unsigned long origin, unsigned long errorCode, const char* text);
    ~SCardCommException() override;

    virtual unsigned long getErrorCode() const { return m_errorCode; }
    virtual void setErrorCode(unsigned long errorCode) {
        m_errorCode = static_cast<std::uint32_t>(errorCode);
    }
    virtual unsigned long getErrorCode2() const { return m_errorCode; }
    virtual unsigned long getOrigin() const { return m_origin; }

private:
    void traceCode();

    std::uint32_t m_errorCode;
    std::uint32_t m_origin;
};

} // namespace ZAZ

#endif
