#ifndef TESTS_TESTSUPPORT_H
#define TESTS_TESTSUPPORT_H

#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"

#include <string>

namespace testsupport {

// The internal failure texts, written out literally so that a typo in the
// library's constants is caught.
const char* const kIllegal = "Illegal parameter in function call.";
const char* const kDecoding = "Error encountered while decoding format.";
const char* const kUnknown = "An unknown error occurred.";

/// The message of the internal exception `f` throws, or "" when it succeeds.
template <class F> std::string failureOf(F&& f) {
    try {
        f();
    } catch (const ZAZ::CardFrameworkException& e) {
        return e.message();
    }
    return "";
}

/// Hex text without the trailing blank: "3F 00".
inline std::string hexOf(const ZAZ::ByteVector& v) {
    std::string s = v.toString();
    if (!s.empty()) {
        s.pop_back();
    }
    return s;
}

} // namespace testsupport

#endif
