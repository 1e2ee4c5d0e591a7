#ifndef ZAZ_MESSAGES_H
#define ZAZ_MESSAGES_H

// The fixed texts of internal failures. Tests compare against the literal
// strings, so a typo here is caught.
namespace ZAZ {
namespace Msg {
constexpr const char* kIllegalParameter = "Illegal parameter in function call.";
constexpr const char* kUnknownError = "An unknown error occurred.";
constexpr const char* kIsoException = "IsoException";
constexpr const char* kOutOfMemory = "Not enough memory in ByteVector Allocation";
constexpr const char* kDecodingError = "Error encountered while decoding format.";
constexpr const char* kFormatNotSupported = "The data format is not supported.";
constexpr const char* kFileTypeNotConsistent = "File type not consistent with usage.";
constexpr const char* kSemaphoreLocking = "Semaphore locking error.";
constexpr const char* kSemaphoreUnlocking = "Semaphore unlocking error.";
} // namespace Msg
} // namespace ZAZ

#endif
