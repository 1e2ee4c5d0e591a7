#include "Zaz/SCardCommException.h"

#include "Zaz/TracePoint.h"

#include <cstdio>
#include <string>

namespace ZAZ {

SCardCommException::SCardCommException(unsigned long errorCode)
    : m_errorCode(static_cast<std::uint32_t>(errorCode)), m_origin(0) {
    char text[kMessageSize];
    std::snprintf(text, sizeof text, "SCardCommException with error code = 0x%.8X",
                  static_cast<unsigned>(m_errorCode));
    SetDebugMessage(text);
    traceCode();
}

SCardCommException::SCardCommException(unsigned long origin, unsigned long errorCode,
                                       const char* text)
    : m_errorCode(static_cast<std::uint32_t>(errorCode)),
      m_origin(static_cast<std::uint32_t>(origin)) {
    char message[kMessageSize];
    std::snprintf(message, sizeof message, "%s. Error code = 0x%.8X", text ? text : "",
                  static_cast<unsigned>(m_errorCode));
    SetDebugMessage(message);
    traceCode();
}

SCardCommException::~SCardCommException() = default;

void SCardCommException::traceCode() {
    Trace(SEV_ERROR, LVL_INFO, "SCardCommException", 44, "SCardCommException", [this] {
        char code[16];
        std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(m_errorCode));
        return std::string("ERROR\tSCardCommException:\tPCSCException error code = 0x") + code +
               "\n";
    });
}

} // namespace ZAZ
