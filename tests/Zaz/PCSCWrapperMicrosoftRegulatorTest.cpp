#include "Zaz/PCSCWrapperMicrosoftRegulator.h"

#include "Zaz/LoggedConfigRoot.h"

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

TEST(PCSCWrapperMicrosoftRegulatorTest, ReportsStartedAndLogsWhenTheCheckIsDisabled) {
    const struct {
        const char* setting; // null: no ZAZ/conf at all
        bool disabled;
    } rows[] = {
        {nullptr, false},
        {"PCSCCheckIfStarted: true\n", false},
        {"PCSCCheckIfStarted: false\n", true},
        {"PCSCCheckIfStarted: FALSE\r\n", true},
        {"PCSCCheckIfStarted:false\n", false}, // no blank: not the key
        {"#PCSCCheckIfStarted: false\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.setting != nullptr ? row.setting : "(none)");
        LoggedConfigRoot root;
        if (row.setting != nullptr) {
            root.Write("ZAZ/conf", row.setting);
        }
        EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(500, true));
        EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckedOnce());
        const std::string log = root.Log();
        // The raw message and the formatted line each carry the text once.
        EXPECT_EQ(Count(log, kDisabled), row.disabled ? 2 : 0) << log;
        if (row.disabled) {
            EXPECT_NE(log.find("[PCSCWrapperMicrosoftRegulator@"), std::string::npos);
            EXPECT_NE(log.find("(CheckPCSCStartedEvent())] \n"), std::string::npos);
        }
    }
}

TEST(PCSCWrapperMicrosoftRegulatorTest, UnforcedCheckAnswersFromTheFlag) {
    LoggedConfigRoot root;
    root.Write("ZAZ/conf", "PCSCCheckIfStarted: false\n");
    EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(0, true));
    EXPECT_EQ(Count(root.Log(), kDisabled), 2);
    // Already checked: the configuration is not read again.
    EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(0, false));
    EXPECT_EQ(Count(root.Log(), kDisabled), 2);
    // Forced: read again.
    EXPECT_TRUE(PCSCWrapperMicrosoftRegulator::CheckPCSCStartedEvent(0, true));
    EXPECT_EQ(Count(root.Log(), kDisabled), 4);
}
