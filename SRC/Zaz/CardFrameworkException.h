#ifndef ZAZ_CARDFRAMEWORKEXCEPTION_H
#define ZAZ_CARDFRAMEWORKEXCEPTION_H

namespace ZAZ {

/// The base of every internal failure: a fixed-size message of at most 255
/// characters. Building one logs it.
class CardFrameworkException {
public:
    explicit CardFrameworkException(const char* message);
    virtual ~CardFrameworkException();

    const char* message() const { return m_message; }
    /// The number after the first "=" of the message (base 0, so "0x" means
    /// hexadecimal), or 0 when the message carries none.
    unsigned long errorCode() const;

    static constexpr int kMessageSize = 256;

protected:
    /// For subclasses that format their message after construction.
    CardFrameworkException();
    void SetDebugMessage(const char* message);

private:
    char m_message[kMessageSize];
};

/// Throws CardFrameworkException(message): the one failure helper of the library.
[[noreturn]] void fail(const char* message);

/// The error code carried by a message text, as CardFrameworkException::errorCode.
unsigned long ParseErrorCode(const char* message);

} // namespace ZAZ

#endif
