#include "Zaz/CardFrameworkException.h"
#include "Zaz/IsoException.h"
#include "Zaz/SCardCommException.h"

#include <gtest/gtest.h>

#include <string>

TEST(CardFrameworkExceptionTest, MessagesAndTheCodeParsedAfterTheFirstEquals) {
    struct {
        const char* message;
        unsigned long code;
    } rows[] = {
        {"IsoException", 0},
        {"PCSCException. Error code = 0x80100068", 0x80100068},
        {"x = 42 and = 7", 42},             // first "=" wins
        {"x = 0x801000691234", 0x80100069}, // at most ten characters
        {"x =", 0},                         // nothing after the "="
        {"x = ", 0},
        {"x =5", 0},     // the character after "=" is skipped whatever it is
        {"x = 017", 15}, // base 0: leading zero is octal
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        EXPECT_EQ(ZAZ::CardFrameworkException(row.message).errorCode(), row.code);
    }
    const std::string longText(300, 'x'); // at most 255 characters are kept
    EXPECT_EQ(ZAZ::CardFrameworkException(longText.c_str()).message(), longText.substr(0, 255));
    // PCSCException's message and code: BoundaryTest and PCSCWrapperMicrosoftTest.
    const ZAZ::SCardCommException plain(0x1F);
    EXPECT_STREQ(plain.message(), "SCardCommException with error code = 0x0000001F");
    EXPECT_EQ(plain.getOrigin(), 0u);

    const ZAZ::IsoException iso(0x6A82, "IsoException");
    EXPECT_EQ(iso.sw(), 0x6A82);
    EXPECT_EQ(ZAZ::IsoException("IsoException").sw(), 0);
}
