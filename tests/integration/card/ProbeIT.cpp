// Card recognition against the real stack with the default configuration:
// one table of card variants through one probe, the shared marker, and many
// processes probing one reader.
#include "TestSupport.h"
#include "integration/VcardEnv.h"

#include "Card/CIasTerminal.h"
#include "Recognition/CIasCard.h"
#include "Recognition/CSharedMarker.h"
#include "Zaz/PCSCException.h"
#include "Zaz/PCSCWrapperMicrosoft.h"
#include "Zaz/SysSemaphore.h"
#include "Zaz/SysSharedMemory.h"

#include <ias/IASEntry.h>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mman.h>
#include <sys/sem.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Src(const std::string& path) {
    return cardit::Env("IAS_TEST_SOURCE_DIR") + "/" + path;
}

/// "type high.low" from the internal card and the public entry, which must agree.
std::string Probe() {
    std::string reader = cardit::Reader();
    ias::IasVersion version = 7;
    EXPECT_EQ(ias::IASGetVersion(&reader[0], version), ias::IAS_S_OK);
    IAS::CIasCard card(std::make_shared<IAS::CIasTerminal>(reader));
    EXPECT_EQ(version, static_cast<ias::IasVersion>(card.cardType()));
    return std::to_string(card.cardType()) + " " + std::to_string(card.versionHigh()) + "." +
           std::to_string(card.versionLow());
}

bool SemaphoreFree(const std::string& name) {
    return semctl(SYS_SemaphoreInit(name.c_str()), 0, GETVAL) == 1;
}

/// Nothing of a probe is left holding the card: an exclusive connection works.
bool CardFree() {
    ZAZ::PCSCWrapperMicrosoft wrapper;
    return testsupport::failureOf(
               [&] { wrapper.Connect(cardit::Reader(), SCARD_SHARE_EXCLUSIVE, 3); }) == "";
}

class ProbeIT : public ::testing::Test {
protected:
    void SetUp() override { setenv("QV_PATH", Src("config").c_str(), 1); }
    void TearDown() override {
        cardit::VcardCtl(("start --profile " + Src("cards/sample-iasecc.json")).c_str());
    }
    const std::string reader = cardit::Reader();
};

} // namespace

TEST_F(ProbeIT, CardVariants) {
    const std::string kUnsupported = "The data format is not supported.";
    struct Row {
        const char* profile;
        std::string expected;
        bool silent; // fails before any APDU
    } rows[] = {
        {"cards/sample-iasecc.json", "1 1.2", false},
        {"cards/sample-ias.json", "0 0.0", false}, // no tag 78
        {"tests/integration/card/profiles/probe-oid80.json", "1 3.7", false},
        {"tests/integration/card/profiles/probe-foreign-first.json", "1 0.0", false},
        {"tests/integration/card/profiles/probe-other-oid.json", "0 0.0", false},
        {"tests/integration/card/profiles/probe-twice.json", kUnsupported, false},
        {"tests/integration/card/profiles/probe-no-app.json", kUnsupported, false},
        {"tests/integration/card/profiles/probe-unknown-atr.json", kUnsupported, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.profile);
        ASSERT_EQ(cardit::VcardCtl(("start --profile " + Src(row.profile)).c_str()), 0);
        const cardit::TraceMark mark;
        std::string outcome;
        const std::string message = testsupport::failureOf([&] { outcome = Probe(); });
        EXPECT_EQ(outcome.empty() ? message : outcome, row.expected);
        EXPECT_EQ(mark.NewCommands().empty(), row.silent);
        EXPECT_TRUE(SemaphoreFree("IASTERM_SEM_" + reader));
        EXPECT_TRUE(CardFree());
    }
    ASSERT_EQ(cardit::VcardCtl("stop"), 0);
    std::string name = reader;
    ias::IasVersion version = 7;
    EXPECT_EQ(testsupport::PcscCode([&] { ias::IASGetVersion(&name[0], version); },
                                    typeid(ZAZ::PCSCException)),
              static_cast<unsigned long>(SCARD_E_NO_SMARTCARD));
    EXPECT_EQ(version, 7u);
    EXPECT_EQ(ias::IASGetVersion(nullptr, version), ias::IAS_E_FAILED);
}

TEST_F(ProbeIT, SharedMarkerCreatedOnceAndKept) {
    const std::string name = "SHMARKER_MAP_" + reader;
    shm_unlink(SYS_shm_object_name(name.c_str()).c_str()); // left by a killed run
    ZAZ::ByteVector first;
    {
        IAS::CIasCard card(std::make_shared<IAS::CIasTerminal>(reader));
        ZAZ::SharedMemory marker;
        ASSERT_TRUE(ZAZ::SharedMemory::Exists(name));
        marker.Connect(name, IAS::CSharedMarker::kSize);
        first.assign(marker.GetBuffer(0), IAS::CSharedMarker::kSize);
        unsigned char check[4];
        IAS::CSharedMarker::checkValue(first.data(), check);
        EXPECT_EQ(cardit::Hex(first.data() + 8, 28),
                  "010000000000000001000000000000000100000000000000" + cardit::Hex(check, 4));
        EXPECT_EQ(Probe(), "1 1.2"); // a second probe finds it and leaves it alone
        EXPECT_EQ(ZAZ::ByteVector(marker.GetBuffer(0), IAS::CSharedMarker::kSize), first);
        EXPECT_TRUE(SemaphoreFree("SHMARKER_SEM_" + reader));
    }
    EXPECT_FALSE(ZAZ::SharedMemory::Exists(name)); // the last user removed it
}

TEST_F(ProbeIT, ProcessesTakeTurnsAndADeadHolderDoesNotBlock) {
    const cardit::TraceMark mark;
    std::string name = reader;
    ias::IasVersion version = 0;
    ASSERT_EQ(ias::IASGetVersion(&name[0], version), ias::IAS_S_OK);
    const std::vector<std::string> one = mark.NewCommands();
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 8; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            char token = 0;
            _exit(read(go[0], &token, 1) == 1 && ias::IASGetVersion(&name[0], version) == 0 &&
                          version == 1
                      ? 0
                      : 1);
        }
        children.push_back(pid);
    }
    const cardit::TraceMark before;
    ASSERT_EQ(write(go[1], "gggggggg", 8), 8);
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::string> expected;
    for (int i = 0; i < 8; ++i) {
        expected.insert(expected.end(), one.begin(), one.end());
    }
    EXPECT_EQ(before.NewCommands(), expected); // whole probes, one after another

    // A holder killed with the reader lock: SEM_UNDO gives it back at once.
    int held[2];
    ASSERT_EQ(pipe(held), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        IAS::CIasTerminal terminal(reader);
        terminal.acquireLock(true);
        (void)!write(held[1], "h", 1);
        pause();
    }
    close(held[1]);
    char token = 0;
    ASSERT_EQ(read(held[0], &token, 1), 1);
    EXPECT_FALSE(SemaphoreFree("IASTERM_SEM_" + reader));
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    const time_t start = time(nullptr);
    EXPECT_EQ(Probe(), "1 1.2");
    EXPECT_LT(time(nullptr) - start, 5);
}
