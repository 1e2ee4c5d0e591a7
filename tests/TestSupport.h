#ifndef TESTS_TESTSUPPORT_H
#define TESTS_TESTSUPPORT_H

#include "Zaz/ByteVector.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"
#include "Zaz/SCardCommException.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <typeinfo>

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

/// The status word of the IsoException `f` throws; 0 when it returns.
template <class F> unsigned short IsoSw(F&& f) {
    try {
        f();
    } catch (const ZAZ::IsoException& e) {
        EXPECT_STREQ(e.message(), "IsoException");
        return e.sw();
    }
    return 0;
}

/// The code of the PC/SC exception `f` throws, of exactly class `expected`.
template <class F> unsigned long PcscCode(F&& f, const std::type_info& expected) {
    try {
        f();
    } catch (const ZAZ::SCardCommException& e) {
        EXPECT_EQ(typeid(e), expected) << e.message();
        return e.getErrorCode();
    }
    return 0;
}

/// Hex text without the trailing blank: "3F 00".
inline std::string hexOf(const ZAZ::ByteVector& v) {
    std::string s = v.toString();
    if (!s.empty()) {
        s.pop_back();
    }
    return s;
}

/// The bytes of a real-card capture, a hex text file under tests/data/realcards.
inline ZAZ::ByteVector realCard(const std::string& file) {
    const char* source = std::getenv("IAS_TEST_SOURCE_DIR");
    std::ifstream in(std::string(source != nullptr ? source : ".") + "/tests/data/realcards/" +
                     file);
    std::string text, word;
    while (in >> word) {
        text += word + " ";
    }
    return ZAZ::ByteVector(text);
}

} // namespace testsupport

#endif
