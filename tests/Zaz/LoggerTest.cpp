#include "Zaz/Logger.h"
#include "Zaz/COrvLoggerInternal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/SharedMemory.h"
#include "Zaz/Synchronize.h"
#include "Zaz/SysAppend.h"
#include "Zaz/TracePoint.h"

#include "ProcessHelpers.h"
#include "TempConfigRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/resource.h>
#include <sys/sem.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using ZAZ::IOrvLogger;
using ZAZ::Logger;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

const std::string kStamp = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] )";

bool Matches(const std::string& text, const std::string& pattern) {
    return std::regex_match(text, std::regex(pattern));
}

/// Standard error, as written while `action` ran.
std::string StderrOf(const std::function<void()>& action) {
    testing::internal::CaptureStderr();
    action();
    return testing::internal::GetCapturedStderr();
}

class LoggerTest : public ::testing::Test {
protected:
    TempConfigRoot root;
    std::string logPath = root / "out.log";

    void SetUp() override { Logger::ResetProcessLoggers(); }
    void TearDown() override { Logger::ResetProcessLoggers(); } // while the root exists

    void Configure(const std::string& settings, const char* zaz = "1") {
        root.Write("LOG/conf", std::string("ZAZ: ") + zaz + "\n");
        root.Write("LOG/ZAZ", settings);
    }
    std::string TextFile(const std::string& levels) {
        return "Output.Type.TextFile: 1\nOutput.Location: " + logPath + "\n" + levels;
    }
    std::unique_ptr<IOrvLogger> Create() {
        return std::unique_ptr<IOrvLogger>(ZAZ::CreateLogger("LOG", "ZAZ"));
    }
    static bool TracePointRan(int severity, int levelIndex) {
        bool built = false;
        ZAZ::Trace(severity, levelIndex, "Unit", 7, "Func", [&built] {
            built = true;
            return std::string("text\n");
        });
        return built;
    }
};

TEST_F(LoggerTest, NothingUnlessConfiguredThenLevelMaskCounterAndHexBuffers) {
    const struct {
        const char* conf;     // LOG/conf, null: absent
        const char* settings; // LOG/ZAZ, null: absent
    } cases[] = {
        {nullptr, nullptr},
        {"Other: 1\n", "Log.Level.INFO: 1\n"},
        {"ZAZ:1\n", "Log.Level.INFO: 1\n"},
        {"ZAZ: 1\n", nullptr},
        {"ZAZ: 0\n", "Output.Type.StdErr: 1\nLog.Level.INFO: 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.conf ? c.conf : "(none)");
        std::filesystem::remove_all(root / "LOG");
        if (c.conf != nullptr) {
            root.Write("LOG/conf", c.conf);
        }
        if (c.settings != nullptr) {
            root.Write("LOG/ZAZ", c.settings);
        }
        Logger::ResetProcessLoggers();
        for (int severity = ZAZ::SEV_VERBOSE; severity <= ZAZ::SEV_ERROR; ++severity) {
            EXPECT_FALSE(TracePointRan(severity, ZAZ::LVL_INFO));
        }
    }
    // Configured: the level mask, the line counter and hex buffers.
    Configure(TextFile("Log.Level.DEBUG: 1\nLog.Level.ERROR: 1\n"));
    auto logger = Create();
    ASSERT_NE(logger, nullptr);
    const int expected[] = {-1, 1, 0, 1, 0, -1}; // indices -1..4: written, filtered, rejected
    for (int index = -1; index <= 4; ++index) {
        const int result = logger->Log(index, "x");
        EXPECT_EQ(result > 0 ? 1 : result, expected[index + 1]) << index;
    }
    const unsigned char bytes[] = {0x00, 0xAB, 0x7F};
    EXPECT_GT(logger->LogBuffer(0, "APDU: ", bytes, sizeof bytes), 0);
    EXPECT_GT(logger->LogBufferFormat(0, bytes, 2, "n=%d ", 5), 0);
    for (int i = 0; i < 6; ++i) {
        logger->Log(0, "line %d", i);
    }
    const std::vector<std::string> lines = Lines(ReadFile(logPath));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_TRUE(Matches(lines[1], "000001:ERROR   :" + kStamp + "x")) << lines[1];
    EXPECT_TRUE(Matches(lines[2], "000002:DEBUG   :" + kStamp + "APDU: 00 AB 7F ")) << lines[2];
    EXPECT_TRUE(Matches(lines[3], "000003:DEBUG   :" + kStamp + "n=5 00 AB ")) << lines[3];
    EXPECT_TRUE(Matches(lines[9], "000009:DEBUG   :" + kStamp + "line 5")) << lines[9];
    logger->Log(0, "eleventh");
    EXPECT_EQ(Lines(ReadFile(logPath)).back().substr(0, 7), "000010:");
}

// The log often sits in a directory others can write to: the file is its
// owner's alone, and a symbolic link put in its place is never followed.
TEST_F(LoggerTest, LogFileIsPrivateAndNeverFollowsALink) {
    const mode_t previous = umask(0);
    Configure(TextFile("Log.Level.INFO: 1\n"));
    Create()->Log(1, "line");
    umask(previous);
    struct stat info;
    ASSERT_EQ(stat(logPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    root.Write("target", "keep");
    std::filesystem::remove(logPath);
    std::filesystem::create_symlink(root / "target", logPath);
    Create()->Log(1, "line");
    EXPECT_FALSE(SYS_AppendToFile(logPath, "raw", 3));
    EXPECT_EQ(ReadFile(root / "target"), "keep");
    // A FIFO put there is refused at once, not waited on for a reader.
    std::filesystem::remove(logPath);
    ASSERT_EQ(mkfifo(logPath.c_str(), 0666), 0);
    EXPECT_EQ(WaitChild(StartChild([&] {
                  alarm(5);
                  return SYS_AppendToFile(logPath, "raw", 3) ? 1 : 0;
              })),
              0);
    // So is a file another user created beforehand (root can make one).
    std::filesystem::remove(logPath);
    root.Write("out.log", "");
    if (getuid() == 0 && chown(logPath.c_str(), 65534, 65534) == 0) {
        EXPECT_FALSE(SYS_AppendToFile(logPath, "raw", 3));
    }
}

TEST_F(LoggerTest, StandardErrorColoursOnlyOnColourTerminals) {
    EnvGuard term("TERM");
    const struct {
        const char* term; // null: unset
        int index;
        const char* before;
    } cases[] = {
        {"xterm", 1, "\033\\[34m"},
        {"linux", 3, "\033\\[01;31m"},
        {"dumb", 2, ""},
        {"xterm-256color", 1, ""},
        {nullptr, 3, ""},
    };
    const char* names[] = {"DEBUG   :", "INFO    :", "ERROR   :", "CRITICAL:"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.term ? c.term : "(unset)");
        c.term ? setenv("TERM", c.term, 1) : unsetenv("TERM");
        Configure("Output.Type.StdErr: 1\nLog.Level.DEBUG: 1\nLog.Level.INFO: 1\n"
                  "Log.Level.ERROR: 1\nLog.Level.CRITICAL: 1\n");
        std::unique_ptr<IOrvLogger> logger;
        StderrOf([&] { logger = Create(); }); // the creation line
        ASSERT_NE(logger, nullptr);
        const std::string text = StderrOf([&] { logger->Log(c.index, "hello %s", "there"); });
        EXPECT_TRUE(Matches(text, std::string(c.before) + "000001:" + names[c.index] + kStamp +
                                      "hello there\n" + (*c.before ? "\033\\[0m" : "") + "\n"))
            << text;
    }
}

TEST_F(LoggerTest, UnopenableFileLosesALineAFullOneRotatesKeepingOne) {
    logPath = root / "later/out.log";
    Configure(TextFile("Log.Level.INFO: 1\nOutput.TextFile.MaxKByteSize: 1\n"));
    auto logger = Create();
    ASSERT_NE(logger, nullptr);
    EXPECT_GT(logger->Log(1, "lost"), 0);
    root.MakeDirectory("later");
    EXPECT_GT(logger->Log(1, "kept"), 0);
    const std::vector<std::string> lines = Lines(ReadFile(logPath));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Matches(lines[0], "000002:INFO    :" + kStamp + "kept")) << lines[0];
    const std::string payload(200, 'p');
    for (int i = 3; i <= 17; ++i) {
        logger->Log(1, "%02d %s", i, payload.c_str());
        ASSERT_LE(std::filesystem::file_size(logPath), 1024u) << i;
    }
    const std::vector<std::string> current = Lines(ReadFile(logPath));
    const std::vector<std::string> previous = Lines(ReadFile(logPath + ".1"));
    ASSERT_FALSE(current.empty());
    ASSERT_FALSE(previous.empty());
    EXPECT_EQ(current.back().substr(0, 7), "000017:");
    EXPECT_EQ(std::stoi(previous.back().substr(0, 6)) + 1, std::stoi(current.front().substr(0, 6)));
    EXPECT_FALSE(std::filesystem::exists(logPath + ".1.1"));
}

TEST_F(LoggerTest, TracePointsAndFacadeWriteRawTextUntilShutdown) {
    Configure(TextFile("Log.Level.INFO: 1\nLog.Customs: " + std::string(300, 'c') + "\n"));
    Logger& facade = Logger::Instance();
    EXPECT_EQ(facade.GetFilePath(), logPath);
    EXPECT_FALSE(facade.IsOn(ZAZ::SEV_ERROR));
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_DEBUG, ZAZ::LVL_DEBUG));
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_ERROR, ZAZ::LVL_INFO)); // follows the ERROR switch
    EXPECT_TRUE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
    facade.Write(ZAZ::SEV_ERROR, "not written\n");
    facade.Write(ZAZ::SEV_INFO, "raw text\n");
    Logger::Shutdown();
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
    const std::string content = ReadFile(logPath);
    EXPECT_TRUE(Matches(content, "000000:INFO    :" + kStamp + "Logger 'ZAZ' is created\ntext\n" +
                                     "000001:INFO    :" + kStamp + R"(\[Unit@7\(Func\(\)\)\] )" +
                                     "\ntext\n\nraw text\n000002:INFO    :" + kStamp +
                                     "Logger 'ZAZ' is destroyed\n"))
        << content;
    Logger::ResetProcessLoggers();
    EXPECT_TRUE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
    // The customs text shows only in the settings record, cut to its buffer.
    ZAZ::OrvLoggerSettings settings;
    ASSERT_TRUE(ZAZ::COrvLoggerInternal("LOG", "ZAZ").GetSettings(settings));
    EXPECT_EQ(settings.customs, std::string(258, 'c'));
    EXPECT_FALSE(ZAZ::COrvLoggerInternal("NOLOG", "ZAZ").GetSettings(settings));
}

TEST_F(LoggerTest, ExceptionsAndPlatformClassesTraceTheirSteps) {
    Configure(TextFile("Log.Level.DEBUG: 1\nLog.Level.INFO: 1\nLog.Level.ERROR: 1\n"));
    const ZAZ::CardFrameworkException error("Something failed.");
    const std::string name = UniqueName("IAS_TEST_TRACE");
    {
        ZAZ::SharedMemory memory;
        memory.Connect(name, 16);
        EXPECT_EQ(memory.GetBuffer(16), nullptr);
    }
    int semaphoreId = -1;
    {
        ZAZ::Synchronize synchronize(name);
        semaphoreId = synchronize.GetId();
    }
    semctl(semaphoreId, 0, IPC_RMID);
    const std::string content = ReadFile(logPath);
    for (const std::string& text : {
             std::string("[CardFrameworkException@33(SetDebugMessage())] \n"
                         "ERROR\tSetDebugMessage:\tSomething failed.\n\n"),
             "\t\tSharedMemory                 -> SYS_shm_create(\"" + name + "\", size=0x10)\n",
             std::string(
                 "ERROR\tGetBuffer:\t!!!!!!\t\tSharedMemory                 -> GetBuffer(\"16\") : "
                 "Index out of Bound\n"),
             "\t\tSynchronize                  -> SYS_SemaphoreInit(" + name + ")\n",
         }) {
        EXPECT_NE(content.find(text), std::string::npos) << text << "\nin\n" << content;
    }
}

} // namespace

// A full disk (/dev/full) or a file size limit loses lines but never the
// process: no exception, no death by SIGXFSZ.
TEST_F(LoggerTest, FullDiskOrFileSizeLimitLosesLinesOnly) {
    for (const bool devFull : {true, false}) {
        SCOPED_TRACE(devFull ? "/dev/full" : "RLIMIT_FSIZE 1000");
        logPath = devFull ? "/dev/full" : root / "limited.log";
        Configure(TextFile("Log.Level.INFO: 1\n"));
        const pid_t child = StartChild([&] {
            const rlimit limit = {1000, 1000};
            if (!devFull && setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                return 2;
            }
            Logger::ResetProcessLoggers();
            for (int i = 0; i < 40; ++i) {
                TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO);
            }
            return 0;
        });
        EXPECT_EQ(WaitChild(child), 0);
        if (!devFull) {
            const std::string content = ReadFile(logPath);
            EXPECT_GT(content.size(), 100u);
            EXPECT_LE(content.size(), 1000u);
        }
    }
}
