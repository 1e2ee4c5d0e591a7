#include "Zaz/PCSCWrapperMicrosoftRegulator.h"

#include "Zaz/TempConfigRoot.h"

#include <gtest/gtest.h>

#include <string>

using ZAZ::PCSCWrapperMicrosoftRegulator;

namespace {
const std::string kDisabled = "CheckPCSCStartedEvent disable by configuration.\n";

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) {
        ++n;
    }
    return n;
}
} // namespace

// The ZAZ/conf switch, read through the library configuration; the message
// goes out as raw text and formatted line, so twice per check.
TEST(PCSCWrapperMicrosoftRegulatorTest, ReportsStartedAndLogsWhenTheCheckIsDisabled) {
    const struct {
        const char* setting; // null: no ZAZ/conf at all
        int messages;
    } rows[] = {
        {nullptr, 0},
        {"PCSCCheckIfStarted: true\n", 0},
        {"PCSCCheckIfStarted: False\n", 0},
        {"Other: 1\nPCSCCheckIfStarted: FALSE\r\n", 2},
        {"PCSCCheckIfStarted:false\n", 0},
        {"#PCSCCheckIfStarted: false\n", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.setting != nullptr ? row.setting : "(none)");
        LoggedConfigRoot root;
        if (row.setting != nullptr) {
            root.Write("ZAZ/conf", row.setting);
        }
        EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(500, true));
        EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckedOnce());
        EXPECT_EQ(Count(root.Log(), kDisabled), row.messages) << root.Log();
    }
    // an unforced check answers from the flag, without rereading
    LoggedConfigRoot root;
    root.Write("ZAZ/conf", "PCSCCheckIfStarted: false\n");
    EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(0, true));
    EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(0, false)); // not reread
    EXPECT_EQ(Count(root.Log(), kDisabled), 2);
    EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(0, true));
    EXPECT_EQ(Count(root.Log(), kDisabled), 4);
}
