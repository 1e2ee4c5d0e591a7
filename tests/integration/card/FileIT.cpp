// The selection cache and chunked READ BINARY on the handle's card object,
// checked against the bytes the virtual card received.
#include "CardIT.h"

#include "TestSupport.h"

#include <string>
#include <vector>

using namespace testsupport;

using cardit::Hex;
using cardit::TraceMark;
using Wire = std::vector<std::string>;

namespace {

const char* const kAid = "A000000063504B43532D3135";

class SelectionIT : public cardit::ConnectedCard {};
class MfLearningIT : public cardit::ConnectedCard {};
class AwkwardReadIT : public cardit::ConnectedCard {};

struct SelectStep {
    const char* aid;
    const char* path;
    bool fcp;
    Wire wire;
    unsigned short failSw; // 0: succeeds
};

// Every SELECT expects response data, so under T=1 it carries Le 00 even
// with P2 0C; the steps list the commands without it.
void RunSteps(IAS::CCiaCard& cia, const std::vector<SelectStep>& steps) {
    const std::string le = cardit::ProfileIsT0() ? "" : "00";
    for (const SelectStep& s : steps) {
        SCOPED_TRACE(std::string(s.aid) + "/" + s.path);
        TraceMark mark;
        ZAZ::ByteVector fcp;
        EXPECT_EQ(IsoSw([&] {
                      cia.selectFileRaw(ZAZ::ByteVector(s.aid), ZAZ::ByteVector(s.path),
                                        s.fcp ? &fcp : nullptr);
                  }),
                  s.failSw);
        Wire expected = s.wire;
        for (std::string& w : expected) {
            w += le;
        }
        EXPECT_EQ(mark.NewCommands(), expected);
        EXPECT_EQ(cia.selectionValid(), s.failSw == 0);
        if (s.fcp) {
            ASSERT_GT(fcp.size(), 2);
            EXPECT_EQ(fcp[0], 0x62);
        }
    }
}

std::string SelectAid() {
    return std::string("00A4040C0C") + kAid;
}

/// The content the profile gives a file, padded with its filler.
std::string ProfileFile(const char* relative, int size, const char* filler) {
    const std::string bytes = cardit::ReadFile(cardit::Env("IAS_TEST_SOURCE_DIR") + "/" + relative);
    std::string hex = Hex(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    while (hex.size() < static_cast<std::size_t>(size) * 2) {
        hex += filler;
    }
    return hex;
}

} // namespace

TEST_F(SelectionIT, CacheSavesSelectsAndForgetsFailures) {
    RunSteps(cia(), {
                        // After IASConnectA the MF is current: a child of it is one SELECT.
                        {"", "2F00", false, {"00A4020C022F00"}, 0},
                        {kAid, "5031", false, {SelectAid(), "00A4020C025031"}, 0},
                        {kAid, "5031", false, {}, 0},
                        {kAid, "5032", false, {"00A4020C025032"}, 0},
                        // An FCP is always fetched from the card.
                        {kAid, "5032", true, {"00A40204025032"}, 0},
                        {kAid, "5099", false, {"00A4020C025099"}, 0x6A82},
                        // The failure emptied the cache: the AID is selected again.
                        {kAid, "5032", false, {SelectAid(), "00A4020C025032"}, 0},
                        {"", "3F0050154401", false, {"00A4000C023F00", "00A4080C0450154401"}, 0},
                        {"", "3F0050154402", false, {"00A4020C024402"}, 0},
                        {"", "3F0050154402", false, {}, 0},
                        // Relative to the MF, from a DF below it: the MF is selected first.
                        {"", "2F01", false, {"00A4000C023F00", "00A4020C022F01"}, 0},
                    });
}

TEST_F(SelectionIT, ResetMakesTheMasterFileCurrent) {
    RunSteps(cia(), {{kAid, "5031", false, {SelectAid(), "00A4020C025031"}, 0}});
    TraceMark mark;
    card.reset();
    const Wire lines = mark.NewLines();
    EXPECT_EQ(lines, Wire{"! RESET"});
    EXPECT_TRUE(cia().selectionValid());
    EXPECT_TRUE(cia().selectedPath().empty());
    RunSteps(cia(), {
                        {"", "2F00", false, {"00A4020C022F00"}, 0},
                        {kAid, "5031", false, {SelectAid(), "00A4020C025031"}, 0},
                    });
}

// 500 bytes at a maximum response of 231: Le E7, E7, 26 at offsets 0, E7, 1CE.
TEST_F(SelectionIT, ReadBinaryInChunksOfTheMaximumResponse) {
    cia().selectFile(ZAZ::ByteVector(kAid), ZAZ::ByteVector("4402"));
    TraceMark mark;
    const ZAZ::ByteVector data = cia().readBinary(0, 0, 500);
    EXPECT_EQ(mark.NewCommands(), (Wire{"00B00000E7", "00B000E7E7", "00B001CE26"}));
    EXPECT_EQ(Hex(data), ProfileFile("cards/sample-iasecc/prkdf.der", 512, "FF").substr(0, 1000));
}

// The card refuses SELECT 3F00 with P1 00 (6A86); the card object switches
// to P1 01 once and keeps it.
TEST_F(MfLearningIT, MasterFileSelectLearnsP1) {
    cia().invalidateSelection();
    RunSteps(
        cia(),
        {{"", "50155031", false, {"00A4000C023F00", "00A4010C023F00", "00A4090C0450155031"}, 0}});
    EXPECT_EQ(cia().mfSelectP1(), 0x01);
    cia().invalidateSelection();
    RunSteps(cia(), {{"", "50155032", false, {"00A4010C023F00", "00A4090C0450155032"}, 0}});
}

// The card answers at most 100 bytes: the read goes on from where the data
// ended, asking for what is left (up to 231) each time.
TEST_F(AwkwardReadIT, ShortAnswersAdvanceByWhatArrived) {
    cia().selectFile(ZAZ::ByteVector(), ZAZ::ByteVector("7001"));
    TraceMark mark;
    const ZAZ::ByteVector data = cia().readBinary(0, 0, 500);
    EXPECT_EQ(mark.NewCommands(),
              (Wire{"00B00000E7", "00B00064E7", "00B000C8E7", "00B0012CC8", "00B0019064"}));
    EXPECT_EQ(Hex(data), Hex(cardit::Pattern(500)));
}

// The odd instruction for file identifiers, short identifiers past offset
// FF and offsets past 7FFF; the card answers bare data (no 53 wrapper).
TEST_F(AwkwardReadIT, OddInstructionCarriesTheOffsetObject) {
    cia().selectFile(ZAZ::ByteVector(), ZAZ::ByteVector("7001"));
    struct Case {
        std::uint16_t fileId;
        std::int32_t offset;
        std::int32_t count;
        Wire wire;
        unsigned short failSw;
    } cases[] = {
        {0x7001, 0, 16, {"00B17001045402000010"}, 0},
        {1, 0x120, 16, {"00B10001045402012010"}, 0},
        {0x7001, 0x150, 150, {"00B17001045402015096", "00B1700104540201B432"}, 0},
        {0, 0x7FF0, 16, {"00B07FF010"}, 0x6B00},
        {0, 0x8000, 16, {"00B10000045402800010"}, 0x6B00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wire.front());
        TraceMark mark;
        ZAZ::ByteVector data;
        EXPECT_EQ(IsoSw([&] { data = cia().readBinary(c.fileId, c.offset, c.count); }), c.failSw);
        EXPECT_EQ(mark.NewCommands(), c.wire);
        if (c.failSw == 0) {
            EXPECT_EQ(Hex(data), Hex(cardit::Pattern(c.count, c.offset)));
        }
    }
}
