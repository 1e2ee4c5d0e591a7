#include "Zaz/Logger.h"
#include "Zaz/COrvLoggerInternal.h"
#include "Zaz/CardFrameworkException.h"
#include "Zaz/SharedMemory.h"
#include "Zaz/Synchronize.h"
#include "Zaz/ThreadLock.h"
#include "Zaz/ThreadSynchronize.h"
#include "Zaz/TracePoint.h"

#include "ProcessHelpers.h"
#include "TempConfigRoot.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <sys/mman.h>
#include <sys/sem.h>
#include <unistd.h>
#include <vector>

namespace {

using ZAZ::IOrvLogger;
using ZAZ::Logger;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

/// `text` as a regular expression that matches only itself.
std::string Literal(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

const std::string kStamp = R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] )";

/// Sends standard error to a file while alive.
class StderrCapture {
public:
    StderrCapture() : m_path(std::filesystem::temp_directory_path() / "ias-stderr-XXXXXX") {
        std::fflush(stderr);
        m_saved = dup(2);
        const int fd = mkstemp(m_path.data());
        dup2(fd, 2);
        close(fd);
    }
    ~StderrCapture() { Stop(); }
    std::string Stop() {
        if (m_saved >= 0) {
            std::fflush(stderr);
            dup2(m_saved, 2);
            close(m_saved);
            m_saved = -1;
            m_text = ReadFile(m_path);
            unlink(m_path.c_str());
        }
        return m_text;
    }

private:
    std::string m_path;
    std::string m_text;
    int m_saved = -1;
};

/// Restores an environment variable on scope exit.
class EnvGuard {
public:
    explicit EnvGuard(const char* name) : m_name(name) {
        if (const char* value = std::getenv(name)) {
            m_had = true;
            m_value = value;
        }
    }
    ~EnvGuard() {
        if (m_had) {
            setenv(m_name, m_value.c_str(), 1);
        } else {
            unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::string m_value;
    bool m_had = false;
};

class LoggerTest : public ::testing::Test {
protected:
    TempConfigRoot root;
    std::string logPath = root / "out.log";

    void SetUp() override { Logger::ResetProcessLoggers(); }
    // Destroy the pair while the temporary root still exists.
    void TearDown() override { Logger::ResetProcessLoggers(); }

    void Configure(const std::string& settings, const char* zaz = "1") {
        root.Write("LOG/conf", std::string("ZAZ: ") + zaz + "\n");
        root.Write("LOG/ZAZ", settings);
    }
    std::string TextFile(const std::string& levels) {
        return "Output.Type.TextFile: 1\nOutput.Location: " + logPath + "\n" + levels;
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

TEST_F(LoggerTest, MissingOrIncompleteConfigurationLeavesLoggingOff) {
    struct {
        const char* what;
        const char* conf;     // LOG/conf, null: absent
        const char* settings; // LOG/ZAZ, null: absent
    } cases[] = {
        {"no LOG configuration", nullptr, nullptr},
        {"no ZAZ key", "Other: 1\n", "Log.Level.INFO: 1\n"},
        {"ZAZ key without blank", "ZAZ:1\n", "Log.Level.INFO: 1\n"},
        {"no settings file", "ZAZ: 1\n", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(root / "LOG");
        if (c.conf != nullptr) {
            root.Write("LOG/conf", c.conf);
        }
        if (c.settings != nullptr) {
            root.Write("LOG/ZAZ", c.settings);
        }
        Logger::ResetProcessLoggers();
        EXPECT_EQ(ZAZ::CreateLogger("LOG", "ZAZ"), nullptr);
        EXPECT_EQ(Logger::Configured(), nullptr);
        for (int severity = ZAZ::SEV_VERBOSE; severity <= ZAZ::SEV_ERROR; ++severity) {
            EXPECT_FALSE(TracePointRan(severity, ZAZ::LVL_INFO));
        }
    }
}

TEST_F(LoggerTest, ZeroSwitchGivesAnInitializedDisabledLogger) {
    Configure(TextFile("Log.Level.INFO: 1\n"), "0");
    std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
    ASSERT_NE(logger, nullptr);
    EXPECT_TRUE(logger->IsInitialized());
    EXPECT_FALSE(logger->IsEnabled());
    EXPECT_EQ(logger->Log(1, "x"), 0);
    ZAZ::OrvLoggerSettings settings;
    EXPECT_TRUE(logger->GetSettings(settings));
    EXPECT_FALSE(settings.enabled);
    EXPECT_FALSE(settings.infoOn);
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
    EXPECT_FALSE(std::filesystem::exists(logPath));
}

TEST_F(LoggerTest, InfoOnlyWritesRawMessageAndFormattedLine) {
    Configure(TextFile("Log.Level.INFO: 1\n"));
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_DEBUG, ZAZ::LVL_DEBUG));
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_VERBOSE, ZAZ::LVL_DEBUG));
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_ERROR, ZAZ::LVL_INFO)); // error switch follows ERROR
    EXPECT_TRUE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
    const std::string content = ReadFile(logPath);
    const std::regex expected("000000:INFO    :" + kStamp +
                              "Logger 'ZAZ' is created\n"
                              "text\n"
                              "000001:INFO    :" +
                              kStamp + R"(\[Unit@7\(Func\(\)\)\] )" + "\ntext\n\n");
    EXPECT_TRUE(std::regex_match(content, expected)) << content;
    // Warnings follow the INFO switch too.
    EXPECT_TRUE(TracePointRan(ZAZ::SEV_WARNING, ZAZ::LVL_INFO));
}

TEST_F(LoggerTest, EleventhLineCarriesCounterTen) {
    Configure(TextFile("Log.Level.INFO: 1\n"));
    std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
    ASSERT_NE(logger, nullptr);
    for (int i = 1; i <= 10; ++i) {
        EXPECT_GT(logger->Log(1, "line %d", i), 0);
    }
    const std::vector<std::string> lines = Lines(ReadFile(logPath));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[10].substr(0, 7), "000010:");
    EXPECT_TRUE(std::regex_match(lines[10], std::regex("000010:INFO    :" + kStamp + "line 10")))
        << lines[10];
}

TEST_F(LoggerTest, LevelMaskFiltersEachIndex) {
    struct {
        const char* levels;
        int written[6]; // for indices -1..4: 1 written, 0 filtered, -1 rejected
    } cases[] = {
        {"", {-1, 0, 0, 0, 0, -1}},
        {"Log.Level.DEBUG: 1\n", {-1, 1, 0, 0, 0, -1}},
        {"Log.Level.ERROR: 1\nLog.Level.CRITICAL: 7\n", {-1, 0, 0, 1, 1, -1}},
        {"Log.Level.INFO: 0\nLog.Level.DEBUG: 1\n", {-1, 1, 0, 0, 0, -1}},
        {"Log.Level.DEBUG: 1\nLog.Level.INFO: 1\nLog.Level.ERROR: 1\nLog.Level.CRITICAL: 1\n",
         {-1, 1, 1, 1, 1, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.levels);
        Configure(TextFile(c.levels));
        std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
        ASSERT_NE(logger, nullptr);
        for (int index = -1; index <= 4; ++index) {
            const int result = logger->Log(index, "x");
            const int expected = c.written[index + 1];
            if (expected > 0) {
                EXPECT_GT(result, 0) << index;
            } else {
                EXPECT_EQ(result, expected) << index;
            }
        }
    }
}

TEST_F(LoggerTest, LevelNames) {
    EXPECT_STREQ(ZAZ::COrvLoggerInternal::LevelName(1), "DEBUG   :");
    EXPECT_STREQ(ZAZ::COrvLoggerInternal::LevelName(2), "INFO    :");
    EXPECT_STREQ(ZAZ::COrvLoggerInternal::LevelName(4), "ERROR   :");
    EXPECT_STREQ(ZAZ::COrvLoggerInternal::LevelName(8), "CRITICAL:");
    EXPECT_STREQ(ZAZ::COrvLoggerInternal::LevelName(3), "UNKNOWN_LOG_LEVEL");
}

TEST_F(LoggerTest, BuffersAreWrittenAsHexBytes) {
    Configure(TextFile("Log.Level.DEBUG: 1\n"));
    std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
    ASSERT_NE(logger, nullptr);
    const unsigned char bytes[] = {0x00, 0xAB, 0x7F};
    EXPECT_GT(logger->LogBuffer(0, "APDU: ", bytes, sizeof bytes), 0);
    EXPECT_GT(logger->LogBufferFormat(0, bytes, 2, "n=%d ", 5), 0);
    EXPECT_GT(logger->LogBuffer(0, nullptr, bytes, 1), 0);
    EXPECT_EQ(logger->LogBuffer(1, "filtered ", bytes, 1), 0);
    const std::vector<std::string> lines = Lines(ReadFile(logPath));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(
        std::regex_match(lines[0], std::regex("000000:DEBUG   :" + kStamp + "APDU: 00 AB 7F ")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex("000001:DEBUG   :" + kStamp + "n=5 00 AB ")))
        << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], std::regex("000002:DEBUG   :" + kStamp + "00 ")))
        << lines[2];
}

TEST_F(LoggerTest, StandardErrorColoursOnlyOnColourTerminals) {
    EnvGuard term("TERM");
    struct {
        const char* term; // null: unset
        int index;
        const char* before;
        const char* after;
    } cases[] = {
        {"xterm", 1, "\033[34m", "\033[0m"},
        {"xterm", 2, "\033[35m", "\033[0m"},
        {"linux", 3, "\033[01;31m", "\033[0m"},
        {"rxvt-unicode", 0, "", ""},
        {"dumb", 2, "", ""},
        {"xterm-256color", 1, "", ""},
        {nullptr, 3, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.term ? c.term : "(unset)");
        if (c.term != nullptr) {
            setenv("TERM", c.term, 1);
        } else {
            unsetenv("TERM");
        }
        Configure("Output.Type.StdErr: 1\nLog.Level.DEBUG: 1\nLog.Level.INFO: 1\n"
                  "Log.Level.ERROR: 1\nLog.Level.CRITICAL: 1\n");
        StderrCapture creation; // "Logger 'ZAZ' is created" is line 0
        std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
        creation.Stop();
        ASSERT_NE(logger, nullptr);
        StderrCapture capture;
        logger->Log(c.index, "hello %s", "there");
        const std::string text = capture.Stop();
        const std::string names[] = {"DEBUG   :", "INFO    :", "ERROR   :", "CRITICAL:"};
        const std::regex expected(Literal(c.before) + "000001:" + names[c.index] + kStamp +
                                  "hello there\n" + Literal(c.after) + "\n");
        EXPECT_TRUE(std::regex_match(text, expected)) << text;
        EXPECT_FALSE(std::filesystem::exists(root / "C:\\OrvLog.log"));
    }
}

TEST_F(LoggerTest, UnopenableTextFileLosesThatLineOnly) {
    logPath = root / "later/out.log";
    Configure(TextFile("Log.Level.INFO: 1\n"));
    std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
    ASSERT_NE(logger, nullptr);
    EXPECT_GT(logger->Log(1, "lost"), 0);
    root.MakeDirectory("later");
    EXPECT_GT(logger->Log(1, "kept"), 0);
    const std::vector<std::string> lines = Lines(ReadFile(logPath));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("000002:INFO    :" + kStamp + "kept")))
        << lines[0];
}

TEST_F(LoggerTest, TextFileWithoutLocationWritesNothing) {
    Configure("Output.Type.TextFile: 1\nLog.Level.INFO: 1\n");
    std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
    ASSERT_NE(logger, nullptr);
    EXPECT_TRUE(logger->IsEnabled());
    EXPECT_EQ(logger->Log(1, "nowhere"), 0);
    ZAZ::OrvLoggerSettings settings;
    ASSERT_TRUE(logger->GetSettings(settings));
    EXPECT_FALSE(settings.textFileOutput);
    EXPECT_EQ(settings.textFilePath, "C:\\OrvLog.log");
}

TEST_F(LoggerTest, FileRotatesAtMaxSizeKeepingOneGeneration) {
    Configure(TextFile("Log.Level.INFO: 1\nOutput.TextFile.MaxKByteSize: 1\n"));
    std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
    ASSERT_NE(logger, nullptr);
    const std::string payload(200, 'p');
    for (int i = 1; i <= 15; ++i) {
        logger->Log(1, "%02d %s", i, payload.c_str());
        ASSERT_LE(std::filesystem::file_size(logPath), 1024u) << i;
    }
    const std::vector<std::string> current = Lines(ReadFile(logPath));
    const std::vector<std::string> previous = Lines(ReadFile(logPath + ".1"));
    ASSERT_FALSE(current.empty());
    ASSERT_FALSE(previous.empty());
    EXPECT_LE(std::filesystem::file_size(logPath + ".1"), 1024u);
    // The newest line is in the file; the generation before it ends with the
    // line just before the file's first line.
    EXPECT_EQ(current.back().substr(0, 7), "000015:");
    const int firstCurrent = std::stoi(current.front().substr(0, 6));
    const int lastPrevious = std::stoi(previous.back().substr(0, 6));
    EXPECT_EQ(lastPrevious + 1, firstCurrent);
    EXPECT_FALSE(std::filesystem::exists(logPath + ".1.1"));
}

TEST_F(LoggerTest, WithoutMaxSizeTheFileGrows) {
    Configure(TextFile("Log.Level.INFO: 1\nOutput.TextFile.MaxKByteSize: 0\n"));
    std::unique_ptr<IOrvLogger> logger(ZAZ::CreateLogger("LOG", "ZAZ"));
    ASSERT_NE(logger, nullptr);
    const std::string payload(300, 'p');
    for (int i = 0; i < 8; ++i) {
        logger->Log(1, "%s", payload.c_str());
    }
    EXPECT_GT(std::filesystem::file_size(logPath), 2048u);
    EXPECT_FALSE(std::filesystem::exists(logPath + ".1"));
}

TEST_F(LoggerTest, SettingsRecordReflectsTheConfiguration) {
    const std::string customs(300, 'c');
    Configure(TextFile("Output.Type.StdErr: 1\nOutput.Type.DEBUGGER: 1\n"
                       "Output.TextFile.MaxKByteSize: 2048\nLog.Level.ERROR: 1\n"
                       "Log.Level.CRITICAL: 1\nLog.Customs: " +
                       customs + "\n"));
    ZAZ::COrvLoggerInternal logger("LOG", "ZAZ");
    ZAZ::OrvLoggerSettings settings;
    ASSERT_TRUE(logger.GetSettings(settings));
    EXPECT_EQ(settings.configurationName, "LOG");
    EXPECT_EQ(settings.loggerName, "ZAZ");
    EXPECT_TRUE(settings.enabled);
    EXPECT_TRUE(settings.configured);
    EXPECT_TRUE(settings.textFileOutput);
    EXPECT_TRUE(settings.stdErrOutput);
    EXPECT_TRUE(settings.debuggerOutput);
    EXPECT_EQ(settings.textFilePath, logPath);
    EXPECT_EQ(settings.maxSize, 2048 * 1024);
    EXPECT_FALSE(settings.debugOn);
    EXPECT_FALSE(settings.infoOn);
    EXPECT_TRUE(settings.errorOn);
    EXPECT_TRUE(settings.criticalOn);
    EXPECT_EQ(settings.customs, std::string(258, 'c'));
    // Opening for the start-up size creates the file; INFO is off so the
    // creation line is not written.
    EXPECT_TRUE(std::filesystem::exists(logPath));
    EXPECT_EQ(std::filesystem::file_size(logPath), 0u);

    ZAZ::COrvLoggerInternal missing("NOLOG", "ZAZ");
    settings.enabled = true;
    EXPECT_FALSE(missing.IsInitialized());
    EXPECT_FALSE(missing.GetSettings(settings));
    EXPECT_FALSE(settings.enabled);
    EXPECT_EQ(settings.maxSize, -1);

    root.Write("LOG/conf", "DefaultConfig: 0\n");
    ZAZ::COrvLoggerInternal unnamed("LOG", "");
    ASSERT_TRUE(unnamed.GetSettings(settings));
    EXPECT_EQ(settings.loggerName, "DefaultConfig");
}

TEST_F(LoggerTest, FacadeSwitchesFollowTheConfiguredLevels) {
    Logger plain;
    for (int severity = ZAZ::SEV_VERBOSE; severity <= ZAZ::SEV_ERROR; ++severity) {
        EXPECT_FALSE(plain.IsOn(severity)) << severity;
    }
    EXPECT_TRUE(plain.IsOn(5));

    Configure(TextFile("Log.Level.DEBUG: 1\nLog.Level.ERROR: 1\n"));
    Logger& facade = Logger::Instance();
    EXPECT_EQ(facade.GetFilePath(), logPath);
    const bool expected[] = {false, true, false, false, true};
    for (int severity = ZAZ::SEV_VERBOSE; severity <= ZAZ::SEV_ERROR; ++severity) {
        EXPECT_EQ(facade.IsOn(severity), expected[severity]) << severity;
    }
    facade.Write(ZAZ::SEV_INFO, "not written\n");
    facade.Write(ZAZ::SEV_DEBUG, "raw text, no line feed");
    EXPECT_EQ(ReadFile(logPath), "raw text, no line feed");
}

TEST_F(LoggerTest, ExceptionConstructionIsTraced) {
    Configure(TextFile("Log.Level.INFO: 1\nLog.Level.ERROR: 1\n"));
    const ZAZ::CardFrameworkException error("Something failed.");
    EXPECT_STREQ(error.message(), "Something failed.");
    const std::string content = ReadFile(logPath);
    EXPECT_NE(content.find("\nERROR\tSetDebugMessage:\tSomething failed.\n0"), std::string::npos)
        << content;
    EXPECT_NE(content.find("[CardFrameworkException@33(SetDebugMessage())] \n"
                           "ERROR\tSetDebugMessage:\tSomething failed.\n\n"),
              std::string::npos)
        << content;
}

TEST_F(LoggerTest, ShutdownSilencesTracePoints) {
    Configure(TextFile("Log.Level.INFO: 1\n"));
    ASSERT_TRUE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
    Logger::Shutdown();
    EXPECT_TRUE(Logger::IsShuttingDown());
    EXPECT_EQ(Logger::Configured(), nullptr);
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
    EXPECT_TRUE(Logger::Instance().GetFilePath().empty());
    const std::vector<std::string> lines = Lines(ReadFile(logPath));
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(std::regex_match(
        lines.back(), std::regex("000002:INFO    :" + kStamp + "Logger 'ZAZ' is destroyed")))
        << lines.back();
    Logger::ResetProcessLoggers();
    EXPECT_TRUE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
}

TEST_F(LoggerTest, ResetRereadsTheConfigurationRoot) {
    Configure(TextFile("Log.Level.INFO: 1\n"));
    ASSERT_TRUE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
    TempConfigRoot other; // QV_PATH now names an empty root
    Logger::ResetProcessLoggers();
    EXPECT_FALSE(TracePointRan(ZAZ::SEV_INFO, ZAZ::LVL_INFO));
}

TEST_F(LoggerTest, PlatformClassesTraceTheirSteps) {
    Configure(TextFile("Log.Level.DEBUG: 1\nLog.Level.ERROR: 1\n"));
    const std::string name = UniqueName("IAS_TEST_TRACE");
    {
        ZAZ::SharedMemory first;
        first.Connect(name, 16);
        ZAZ::SharedMemory second;
        second.Connect(name, 16);
        EXPECT_EQ(first.GetBuffer(16), nullptr);
        EXPECT_EQ(first[-1], nullptr);
    }
    int semaphoreId = -1;
    {
        ZAZ::Synchronize synchronize(name);
        semaphoreId = synchronize.GetId();
    }
    semctl(semaphoreId, 0, IPC_RMID);
    ZAZ::ThreadSynchronize mutex;
    { ZAZ::ThreadLock lock(&mutex); }

    const std::string content = ReadFile(logPath);
    char address[32];
    std::snprintf(address, sizeof address, "%p", static_cast<const void*>(mutex.GetMutex()));
    const std::string pad = "                 ";
    const std::string expected[] = {
        "\t\tSharedMemory" + pad + "-> SYS_shm_create(\"" + name + "\", size=0x10)\n",
        "\t\tSharedMemory" + pad + "-> SYS_shm_get(\"" + name + "\")\n",
        "ERROR\tGetBuffer:\t!!!!!!\t\tSharedMemory" + pad +
            "-> GetBuffer(\"16\") : Index out of Bound\n",
        "ERROR\toperator[]:\t!!!!!!\t\tSharedMemory" + pad +
            "-> operator[\"-1\"] : Index out of Bound\n",
        "\t\tSharedMemory" + pad + "-> SYS_shm_delete(\"" + name + "\")\n",
        "\t\tSynchronize                  -> SYS_SemaphoreInit(" + name + ")\n",
        "\t\tSynchronize                  <- SYS_SemaphoreDestroy(" + name + ")\n",
        std::string("wait sync lock: ") + address + "\n",
        std::string("OK sync lock: ") + address + "\n",
        std::string("sync unlocking: ") + address + "\n",
        std::string("OK sync unlock: ") + address + "\n",
        "[SharedMemory@",
        "(GetBuffer())] \nERROR\tGetBuffer:",
    };
    for (const std::string& text : expected) {
        EXPECT_NE(content.find(text), std::string::npos) << text;
    }
    // The out-of-range lines go out at the ERROR level, the steps at DEBUG.
    EXPECT_NE(content.find("ERROR   :"), std::string::npos);
    EXPECT_NE(content.find("DEBUG   :"), std::string::npos);
    EXPECT_FALSE(ZAZ::SharedMemory::Exists(name));
}

} // namespace
