#include "Zaz/Config.h"
#include "Zaz/SysConfig.h"

#include "TempConfigRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace {

class ConfigTest : public ::testing::Test {
protected:
    TempConfigRoot root;

    SYS_CfgHandle* OpenWith(const std::string& content) {
        root.Write("test.cnf", content);
        SYS_CfgHandle* handle = SYS_CfgOpen("test.cnf");
        EXPECT_NE(handle, nullptr);
        return handle;
    }
};

struct SearchCase {
    const char* what;
    std::string content;
    const char* key;
    bool found;
    const char* value;
};

const SearchCase kSearchCases[] = {
    {"plain setting", "Key: value\n", "Key", true, "value"},
    {"no blank after the colon", "Key:value\n", "Key", false, ""},
    {"blank before the colon", "Key : value\n", "Key", false, ""},
    {"comment line", "#Key: value\n", "Key", false, ""},
    {"CR LF ending", "Key: value\r\n", "Key", true, "value"},
    {"only one CR is removed", "Key: value\r\r\n", "Key", true, "value\r"},
    {"blanks kept in the value", "Key:  a b \n", "Key", true, " a b "},
    {"longer key is not the key", "KeyLonger: x\nKey: y\n", "Key", true, "y"},
    {"empty value", "Key: \n", "Key", true, ""},
    {"last line without line feed", "A: 1\nKey: last", "Key", true, "last"},
    {"first of repeated keys", "Key: 1\nKey: 2\n", "Key", true, "1"},
    {"key only at line start", "x Key: v\n", "Key", false, ""},
    {"over-long line before the key", std::string(3000, 'A') + "\nKey: after\n", "Key", true,
     "after"},
    {"empty file", "", "Key", false, ""},
};

TEST_F(ConfigTest, SearchRecognisesOnlyKeyColonBlankLines) {
    for (const SearchCase& c : kSearchCases) {
        SCOPED_TRACE(c.what);
        root.Write("test.cnf", c.content);
        // From a fresh handle all three searches see the same lines.
        for (auto search : {SYS_CfgFindFirst, SYS_CfgFindNext, SYS_CfgGetValue}) {
            SYS_CfgHandle* handle = SYS_CfgOpen("test.cnf");
            ASSERT_NE(handle, nullptr);
            char buffer[64] = "untouched";
            std::size_t capacity = sizeof buffer;
            EXPECT_EQ(search(handle, c.key, buffer, &capacity), c.found ? 0 : -1);
            if (c.found) {
                EXPECT_STREQ(buffer, c.value);
                EXPECT_EQ(capacity, std::strlen(c.value));
            } else {
                EXPECT_STREQ(buffer, "untouched");
                EXPECT_EQ(capacity, sizeof buffer);
            }
            EXPECT_EQ(SYS_CfgClose(handle), 0);
        }
    }
}

TEST_F(ConfigTest, SearchesFollowTheStreamPosition) {
    SYS_CfgHandle* handle = OpenWith("Key: 1\nOther: x\nKey: 2\n#Key: 3\nLast: z\n");
    ASSERT_NE(handle, nullptr);
    char buffer[16];
    std::size_t capacity = sizeof buffer;
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Key", buffer, &capacity), 0);
    EXPECT_STREQ(buffer, "1");
    capacity = sizeof buffer;
    ASSERT_EQ(SYS_CfgFindNext(handle, "Key", buffer, &capacity), 0);
    EXPECT_STREQ(buffer, "2");
    capacity = sizeof buffer;
    EXPECT_EQ(SYS_CfgFindNext(handle, "Key", buffer, &capacity), -1);
    // FindNext never rewinds; GetValue rewinds exactly once.
    capacity = sizeof buffer;
    EXPECT_EQ(SYS_CfgFindNext(handle, "Other", buffer, &capacity), -1);
    capacity = sizeof buffer;
    ASSERT_EQ(SYS_CfgGetValue(handle, "Other", buffer, &capacity), 0);
    EXPECT_STREQ(buffer, "x");
    // GetValue continues after the "Other" line, so the next Key is "2".
    capacity = sizeof buffer;
    ASSERT_EQ(SYS_CfgGetValue(handle, "Key", buffer, &capacity), 0);
    EXPECT_STREQ(buffer, "2");
    // FindFirst starts over from the top whatever the position.
    capacity = sizeof buffer;
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Last", buffer, &capacity), 0);
    capacity = sizeof buffer;
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Key", buffer, &capacity), 0);
    EXPECT_STREQ(buffer, "1");
    // A key missing everywhere fails even after GetValue's rewind.
    capacity = sizeof buffer;
    EXPECT_EQ(SYS_CfgGetValue(handle, "Missing", buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgClose(handle), 0);
}

TEST_F(ConfigTest, ValuesAreCutToTheBuffer) {
    const std::string longValue(1500, 'v');
    SYS_CfgHandle* handle = OpenWith("Short: abcdef\nLong: " + longValue + "\nAfter: ok\n");
    ASSERT_NE(handle, nullptr);
    char small[4];
    std::size_t capacity = sizeof small;
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Short", small, &capacity), 0);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(capacity, 3u);

    char big[2048];
    capacity = sizeof big;
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Long", big, &capacity), 0);
    // A line is read at most 1023 characters at a time: the value loses the rest.
    EXPECT_EQ(capacity, 1023u - 6u);
    EXPECT_EQ(std::string(big), std::string(1023 - 6, 'v'));
    capacity = sizeof big;
    ASSERT_EQ(SYS_CfgFindNext(handle, "After", big, &capacity), 0);
    EXPECT_STREQ(big, "ok");

    // Capacity zero finds the key but copies nothing.
    char untouched[2] = {'x', 'y'};
    capacity = 0;
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Short", untouched, &capacity), 0);
    EXPECT_EQ(untouched[0], 'x');
    EXPECT_EQ(capacity, 0u);
    EXPECT_EQ(SYS_CfgClose(handle), 0);
}

TEST_F(ConfigTest, GetIntReadsAtMostThreeDigits) {
    struct {
        const char* line;
        int result;
        int value;
    } cases[] = {
        {"N: 1234\n", 0, 123}, {"N: 42\n", 0, 42},   {"N: -7\n", 0, -7},
        {"N: abc\n", 0, 0},    {"N: 0\n", 0, 0},     {"M: 5\n", -1, 99},
        {"N:5\n", -1, 99},     {"N: 12\r\n", 0, 12}, {"# N: 5\n", -1, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        SYS_CfgHandle* handle = OpenWith(c.line);
        ASSERT_NE(handle, nullptr);
        int value = 99;
        EXPECT_EQ(SYS_CfgGetInt(handle, "N", &value), c.result);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(SYS_CfgClose(handle), 0);
    }
}

TEST_F(ConfigTest, NamesResolveBelowTheRootOrAbsolutely) {
    root.Write("plain", "K: plain\n");
    root.Write("dir/conf", "K: dir\n");
    root.MakeDirectory("noconf");
    root.Write("noconf/other", "K: other\n");
    struct {
        std::string name;
        const char* value; // null: the open fails
    } cases[] = {
        {"plain", "plain"},
        {"dir", "dir"},
        {"dir/", "dir"},
        {root / "plain", "plain"},
        {root / "dir", "dir"},
        {"missing", nullptr},
        {"noconf", nullptr},
        {"noconf/", nullptr},
        {"/nonexistent-ias-root/plain", nullptr},
        {std::string(5000, 'a'), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 80));
        SYS_CfgHandle* handle = SYS_CfgOpen(c.name.c_str());
        if (c.value == nullptr) {
            EXPECT_EQ(handle, nullptr);
            continue;
        }
        ASSERT_NE(handle, nullptr);
        char buffer[16];
        std::size_t capacity = sizeof buffer;
        ASSERT_EQ(SYS_CfgGetValue(handle, "K", buffer, &capacity), 0);
        EXPECT_STREQ(buffer, c.value);
        EXPECT_EQ(SYS_CfgClose(handle), 0);
    }
    EXPECT_EQ(SYS_CfgOpen(nullptr), nullptr);
}

TEST_F(ConfigTest, NullHandlesAndArgumentsFail) {
    char buffer[8];
    std::size_t capacity = sizeof buffer;
    int value = 0;
    EXPECT_EQ(SYS_CfgClose(nullptr), -1);
    EXPECT_EQ(SYS_CfgFindFirst(nullptr, "K", buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgFindNext(nullptr, "K", buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgGetValue(nullptr, "K", buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgGetInt(nullptr, "K", &value), -1);
    EXPECT_EQ(SYS_CfgFirstEntry(nullptr, buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgNextEntry(nullptr, buffer, &capacity), -1);

    SYS_CfgHandle* handle = OpenWith("K: v\n");
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(SYS_CfgGetValue(handle, nullptr, buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgGetValue(handle, "K", nullptr, &capacity), -1);
    EXPECT_EQ(SYS_CfgGetValue(handle, "K", buffer, nullptr), -1);
    EXPECT_EQ(SYS_CfgGetInt(handle, "K", nullptr), -1);
    // A plain-file configuration has no entries to walk.
    EXPECT_EQ(SYS_CfgFirstEntry(handle, buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgNextEntry(handle, buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgClose(handle), 0);
}

TEST_F(ConfigTest, DirectoryWalkSkipsConfAndDots) {
    root.Write("cards/conf", "K: v\n");
    root.Write("cards/IAS", "");
    root.Write("cards/IASECC", "");
    root.MakeDirectory("cards/Sub");
    SYS_CfgHandle* handle = SYS_CfgOpen("cards");
    ASSERT_NE(handle, nullptr);
    for (int pass = 0; pass < 2; ++pass) { // FirstEntry rewinds the walk
        std::set<std::string> names;
        char buffer[64];
        std::size_t capacity = sizeof buffer;
        for (int rc = SYS_CfgFirstEntry(handle, buffer, &capacity); rc == 0;
             rc = SYS_CfgNextEntry(handle, buffer, &capacity)) {
            EXPECT_EQ(capacity, std::strlen(buffer) + 1);
            names.insert(buffer);
            capacity = sizeof buffer;
        }
        EXPECT_EQ(names, (std::set<std::string>{"IAS", "IASECC", "Sub"}));
        EXPECT_EQ(SYS_CfgNextEntry(handle, buffer, &capacity), -1);
    }
    EXPECT_EQ(SYS_CfgClose(handle), 0);
}

TEST_F(ConfigTest, EntryNamesLongerThanTheBufferAreCutUnterminated) {
    root.Write("one/conf", "");
    root.Write("one/LongEntryName", "");
    SYS_CfgHandle* handle = SYS_CfgOpen("one");
    ASSERT_NE(handle, nullptr);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    std::size_t capacity = 4;
    ASSERT_EQ(SYS_CfgFirstEntry(handle, buffer, &capacity), 0);
    EXPECT_EQ(std::string(buffer, sizeof buffer), "Long####");
    EXPECT_EQ(capacity, 4u);
    EXPECT_EQ(SYS_CfgNextEntry(handle, buffer, &capacity), -1);
    EXPECT_EQ(SYS_CfgClose(handle), 0);
}

TEST(ConfigRootTest, DefaultsToEtcQuovanta) {
    const char* old = std::getenv("QV_PATH");
    const std::string saved = old ? old : "";
    unsetenv("QV_PATH");
    EXPECT_EQ(SYS_CfgRoot(), "/etc/Quovanta");
    setenv("QV_PATH", "", 1);
    EXPECT_EQ(SYS_CfgRoot(), "/etc/Quovanta");
    setenv("QV_PATH", "/some/where", 1);
    EXPECT_EQ(SYS_CfgRoot(), "/some/where");
    if (old) {
        setenv("QV_PATH", saved.c_str(), 1);
    } else {
        unsetenv("QV_PATH");
    }
}

TEST_F(ConfigTest, LibraryConfigurationReadsZazConf) {
    struct {
        const char* content; // null: no file at all
        bool check;
    } cases[] = {
        {nullptr, true},
        {"PCSCCheckIfStarted: false\n", false},
        {"PCSCCheckIfStarted: FALSE\r\n", false},
        {"PCSCCheckIfStarted: False\n", true},
        {"PCSCCheckIfStarted: true\n", true},
        {"PCSCCheckIfStarted:false\n", true},
        {"#PCSCCheckIfStarted: false\n", true},
        {"Other: 1\n", true},
        {"Other: 1\nPCSCCheckIfStarted: false\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content ? c.content : "(no file)");
        std::filesystem::remove_all(root / "ZAZ");
        if (c.content != nullptr) {
            root.Write("ZAZ/conf", c.content);
        }
        ZAZ::Config config;
        EXPECT_EQ(config.IsPCSCCheckIfStarted(), c.check);
    }
}

TEST_F(ConfigTest, GetStringReturnsValueOrEmpty) {
    ZAZ::Config config;
    EXPECT_EQ(config.GetString("Name"), "");
    root.MakeDirectory("ZAZ"); // a directory without "conf"
    EXPECT_EQ(config.GetString("Name"), "");
    root.Write("ZAZ/conf", "Name: IAS ECC v2 \r\nLong: " + std::string(400, 'x') + "\n");
    EXPECT_EQ(config.GetString("Name"), "IAS ECC v2 ");
    EXPECT_EQ(config.GetString("Long"), std::string(255, 'x'));
    EXPECT_EQ(config.GetString("Missing"), "");
}

} // namespace
