#ifndef TESTS_ASN1_TESTSUPPORT_H
#define TESTS_ASN1_TESTSUPPORT_H

#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"

#include <string>

namespace testsupport {

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
