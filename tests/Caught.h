// What a call throws, reduced to the detail a test compares.
#ifndef TESTS_CAUGHT_H
#define TESTS_CAUGHT_H

#include "Zaz/IsoException.h"
#include "Zaz/SCardCommException.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

/// The message of the CardFrameworkException `call` throws.
inline std::string MessageOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ZAZ::CardFrameworkException& e) {
        return e.message();
    }
    return "(no exception)";
}

/// The status word of the IsoException `call` throws; 0 when it returns.
inline unsigned short IsoSw(const std::function<void()>& call) {
    try {
        call();
    } catch (const ZAZ::IsoException& e) {
        EXPECT_STREQ(e.message(), "IsoException");
        return e.sw();
    }
    return 0;
}

/// The code of the PC/SC exception `call` throws, of exactly class `expected`.
inline unsigned long PcscCode(const std::function<void()>& call, const std::type_info& expected) {
    try {
        call();
    } catch (const ZAZ::SCardCommException& e) {
        EXPECT_EQ(typeid(e), expected) << e.message();
        return e.getErrorCode();
    }
    return 0;
}

#endif
