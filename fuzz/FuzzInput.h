#ifndef FUZZ_FUZZINPUT_H
#define FUZZ_FUZZINPUT_H

#include "Zaz/ByteVector.h"

#include <cstddef>
#include <cstdint>

// Every target: the fuzzer's bytes as the library's byte vector (inputs past
// 64 KiB are cut, as no card object is larger).
inline ZAZ::ByteVector FuzzBytes(const std::uint8_t* data, std::size_t size) {
    const std::size_t n = size > 65536 ? 65536 : size;
    return ZAZ::ByteVector(data, static_cast<std::int32_t>(n),
                           static_cast<std::int32_t>(n > 0 ? n : 1));
}

#endif
