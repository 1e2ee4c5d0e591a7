#include "Zaz/CardFrameworkException.h"

#include "Zaz/TracePoint.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace ZAZ {

void fail(const char* message) {
    throw CardFrameworkException(message);
}

CardFrameworkException::CardFrameworkException() {
    m_message[0] = '\0';
}

CardFrameworkException::CardFrameworkException(const char* message) {
    SetDebugMessage(message);
}

CardFrameworkException::~CardFrameworkException() = default;

void CardFrameworkException::SetDebugMessage(const char* message) {
    if (message == nullptr) {
        message = "";
    }
    std::strncpy(m_message, message, kMessageSize - 1);
    m_message[kMessageSize - 1] = '\0';
    Trace(SEV_ERROR, LVL_INFO, "CardFrameworkException", 33, "SetDebugMessage",
          [this] { return std::string("ERROR\tSetDebugMessage:\t") + m_message + "\n"; });
}

unsigned long CardFrameworkException::errorCode() const {
    return ParseErrorCode(m_message);
}

unsigned long ParseErrorCode(const char* message) {
    if (message == nullptr) {
        return 0;
    }
    const char* equals = std::strchr(message, '=');
    if (equals == nullptr || equals[1] == '\0') {
        return 0;
    }
    // Skip "=" and the one character after it, then read up to ten characters.
    char digits[11] = {};
    std::strncpy(digits, equals + 2, 10);
    if (digits[0] == '\0') {
        return 0;
    }
    return std::strtoul(digits, nullptr, 0);
}

} // namespace ZAZ
