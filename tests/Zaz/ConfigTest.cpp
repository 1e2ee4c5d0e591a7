#include "Zaz/Config.h"
#include "Zaz/SysConfig.h"

#include "TempConfigRoot.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace {

using Search = int (*)(SYS_CfgHandle*, const char*, char*, std::size_t*);

class ConfigTest : public ::testing::Test {
protected:
    TempConfigRoot root;
    SYS_CfgHandle* handle = nullptr;
    char buffer[64];
    std::size_t capacity = 0;

    void TearDown() override { Close(); }
    /// Opens `name` (after writing `content` to "test.cnf" unless null).
    bool Open(const char* content, const std::string& name = "test.cnf") {
        Close();
        if (content != nullptr) {
            root.Write("test.cnf", content);
        }
        handle = SYS_CfgOpen(name.c_str());
        return handle != nullptr;
    }
    void Close() {
        if (handle != nullptr) {
            EXPECT_EQ(SYS_CfgClose(handle), 0);
        }
        handle = nullptr;
    }
    /// One search with the whole buffer; the value, or null when not found.
    const char* Find(Search search, const char* key) {
        capacity = sizeof buffer;
        return search(handle, key, buffer, &capacity) == 0 ? buffer : nullptr;
    }
};

TEST_F(ConfigTest, SearchRecognisesOnlyKeyColonBlankLines) {
    const struct {
        std::string content;
        const char* value; // null: not found
    } cases[] = {
        {"Key: value\n", "value"},
        {"Key:value\n", nullptr},
        {"Key : value\n", nullptr},
        {"#Key: value\n", nullptr},
        {"Key: value\r\n", "value"},
        {"Key: value\r\r\n", "value\r"}, // only one CR goes
        {"Key:  a b \n", " a b "},
        {"KeyLonger: x\nKey: y\n", "y"},
        {"Key: \n", ""},
        {"A: 1\nKey: last", "last"},
        {"Key: 1\nKey: 2\n", "1"},
        {"x Key: v\n", nullptr},
        {std::string(3000, 'A') + "\nKey: after\n", "after"}, // over-long line first
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content.substr(0, 40));
        for (Search search : {SYS_CfgFindFirst, SYS_CfgFindNext, SYS_CfgGetValue}) {
            ASSERT_TRUE(Open(c.content.c_str()));
            std::strcpy(buffer, "untouched");
            EXPECT_STREQ(Find(search, "Key"), c.value);
            EXPECT_EQ(capacity, c.value ? std::strlen(c.value) : sizeof buffer);
            EXPECT_STREQ(buffer, c.value ? c.value : "untouched");
        }
    }
}

TEST_F(ConfigTest, FindNextNeverRewindsGetValueRewindsOnce) {
    ASSERT_TRUE(Open("Key: 1\nOther: x\nKey: 2\n#Key: 3\nLast: z\n"));
    const struct {
        Search search;
        const char* key;
        const char* value;
    } steps[] = {
        {SYS_CfgFindFirst, "Key", "1"},        {SYS_CfgFindNext, "Key", "2"},
        {SYS_CfgFindNext, "Key", nullptr},     {SYS_CfgFindNext, "Other", nullptr},
        {SYS_CfgGetValue, "Other", "x"},       {SYS_CfgGetValue, "Key", "2"}, // after "Other"
        {SYS_CfgFindFirst, "Last", "z"},       {SYS_CfgFindFirst, "Key", "1"},
        {SYS_CfgGetValue, "Missing", nullptr},
    };
    for (const auto& s : steps) {
        EXPECT_STREQ(Find(s.search, s.key), s.value) << s.key;
    }
}

TEST_F(ConfigTest, ValuesAreCutToTheBufferAndLinesTo1023) {
    ASSERT_TRUE(Open(("Short: abcdef\nLong: " + std::string(1500, 'v') + "\nAfter: ok\n").c_str()));
    char small[4];
    capacity = sizeof small;
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Short", small, &capacity), 0);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(capacity, 3u);
    char big[2048];
    capacity = sizeof big;
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Long", big, &capacity), 0);
    EXPECT_EQ(std::string(big), std::string(1023 - 6, 'v'));
    EXPECT_STREQ(Find(SYS_CfgFindNext, "After"), "ok");
    char untouched[2] = {'x', 'y'};
    capacity = 0; // finds the key, copies nothing
    ASSERT_EQ(SYS_CfgFindFirst(handle, "Short", untouched, &capacity), 0);
    EXPECT_EQ(untouched[0], 'x');
}

TEST_F(ConfigTest, GetIntReadsAtMostThreeDigits) {
    const struct {
        const char* line;
        int result;
        int value;
    } cases[] = {
        {"N: 1234\n", 0, 123}, {"N: -7\n", 0, -7},   {"N: abc\n", 0, 0},   {"M: 5\n", -1, 99},
        {"N:5\n", -1, 99},     {"# N: 5\n", -1, 99}, {"N: 12\r\n", 0, 12},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ASSERT_TRUE(Open(c.line));
        int value = 99;
        EXPECT_EQ(SYS_CfgGetInt(handle, "N", &value), c.result);
        EXPECT_EQ(value, c.value);
    }
}

TEST_F(ConfigTest, NamesResolveBelowTheRootOrAbsolutely) {
    root.Write("plain", "K: plain\n");
    root.Write("dir/conf", "K: dir\n");
    root.Write("noconf/other", "K: other\n");
    const struct {
        std::string name;
        const char* value; // null: the open fails
    } cases[] = {
        {"plain", "plain"},
        {"dir", "dir"},
        {"dir/", "dir"},
        {root / "plain", "plain"},
        {"missing", nullptr},
        {"noconf", nullptr},
        {"/nonexistent-ias-root/plain", nullptr},
        {std::string(5000, 'a'), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 80));
        EXPECT_EQ(Open(nullptr, c.name), c.value != nullptr);
        if (handle != nullptr) {
            EXPECT_STREQ(Find(SYS_CfgGetValue, "K"), c.value);
        }
    }
    EXPECT_EQ(SYS_CfgOpen(nullptr), nullptr);
    EnvGuard guard("QV_PATH"); // the root: /etc/Quovanta unless QV_PATH names another
    unsetenv("QV_PATH");
    EXPECT_EQ(SYS_CfgRoot(), "/etc/Quovanta");
    setenv("QV_PATH", "", 1);
    EXPECT_EQ(SYS_CfgRoot(), "/etc/Quovanta");
    setenv("QV_PATH", "/some/where", 1);
    EXPECT_EQ(SYS_CfgRoot(), "/some/where");
}

TEST_F(ConfigTest, NullArgumentsFailAndDirectoryWalkSkipsConfAndCutsNames) {
    int value = 0;
    capacity = sizeof buffer;
    EXPECT_EQ(SYS_CfgClose(nullptr), -1);
    EXPECT_EQ(Find(SYS_CfgFindFirst, "K"), nullptr);
    EXPECT_EQ(SYS_CfgGetInt(nullptr, "K", &value), -1);
    EXPECT_EQ(SYS_CfgFirstEntry(nullptr, buffer, &capacity), -1);
    ASSERT_TRUE(Open("K: v\n"));
    EXPECT_EQ(Find(SYS_CfgGetValue, nullptr), nullptr);
    EXPECT_EQ(SYS_CfgGetValue(handle, "K", nullptr, &capacity), -1);
    EXPECT_EQ(SYS_CfgGetValue(handle, "K", buffer, nullptr), -1);
    EXPECT_EQ(SYS_CfgGetInt(handle, "K", nullptr), -1);
    EXPECT_EQ(SYS_CfgFirstEntry(handle, buffer, &capacity), -1); // a plain file has no entries
    // A directory's entries skip conf and the dots, and long names are cut.
    root.Write("cards/conf", "K: v\n");
    root.Write("cards/IAS", "");
    root.Write("cards/IASECC", "");
    root.MakeDirectory("cards/Sub");
    ASSERT_TRUE(Open(nullptr, "cards"));
    for (int pass = 0; pass < 2; ++pass) { // FirstEntry rewinds
        std::set<std::string> names;
        capacity = sizeof buffer;
        for (int rc = SYS_CfgFirstEntry(handle, buffer, &capacity); rc == 0;
             rc = SYS_CfgNextEntry(handle, buffer, &capacity)) {
            EXPECT_EQ(capacity, std::strlen(buffer) + 1);
            names.insert(buffer);
            capacity = sizeof buffer;
        }
        EXPECT_EQ(names, (std::set<std::string>{"IAS", "IASECC", "Sub"}));
    }
    root.Write("one/conf", "");
    root.Write("one/LongEntryName", "");
    ASSERT_TRUE(Open(nullptr, "one"));
    std::memset(buffer, '#', 8);
    capacity = 4;
    ASSERT_EQ(SYS_CfgFirstEntry(handle, buffer, &capacity), 0);
    EXPECT_EQ(std::string(buffer, 8), "Long####"); // cut, unterminated
}

TEST_F(ConfigTest, GetStringReturnsValueOrEmpty) {
    ZAZ::Config config;
    EXPECT_EQ(config.GetString("Name"), "");
    root.MakeDirectory("ZAZ"); // a directory without "conf"
    EXPECT_EQ(config.GetString("Name"), "");
    EXPECT_TRUE(config.IsPCSCCheckIfStarted());
    root.Write("ZAZ/conf", "Name: IAS ECC v2 \r\nLong: " + std::string(400, 'x') + "\n");
    EXPECT_EQ(config.GetString("Name"), "IAS ECC v2 ");
    EXPECT_EQ(config.GetString("Long"), std::string(255, 'x'));
    EXPECT_EQ(config.GetString("Missing"), "");
}

} // namespace
