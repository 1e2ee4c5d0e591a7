// Status words the card engine answers with.
#pragma once

#include <cstdint>

namespace vcard {

constexpr std::uint16_t kOk = 0x9000;
constexpr std::uint16_t kEndOfFile = 0x6282;
constexpr std::uint16_t kWrongLength = 0x6700;
constexpr std::uint16_t kSmNotSupported = 0x6882;
constexpr std::uint16_t kChannelNotSupported = 0x6881;
constexpr std::uint16_t kLastCommandExpected = 0x6883;
constexpr std::uint16_t kNotAllowedNoEf = 0x6986;
constexpr std::uint16_t kSecurityNotSatisfied = 0x6982;
constexpr std::uint16_t kBlocked = 0x6983;
constexpr std::uint16_t kConditionsNotSatisfied = 0x6985;
constexpr std::uint16_t kWrongData = 0x6A80;
constexpr std::uint16_t kNotFound = 0x6A82;
constexpr std::uint16_t kWrongP1P2 = 0x6A86;
constexpr std::uint16_t kRefNotFound = 0x6A88;
constexpr std::uint16_t kOffsetOutside = 0x6B00;
constexpr std::uint16_t kInsNotSupported = 0x6D00;
constexpr std::uint16_t kClaNotSupported = 0x6E00;
constexpr std::uint16_t kNoDiagnosis = 0x6F00;

} // namespace vcard
