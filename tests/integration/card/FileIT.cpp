// The selection cache and READ BINARY on the handle's card object against the
// virtual card; the command sequences themselves are unit-tested on a script.
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
                        {"", "3F0050154401", false, {"00A4000C023F00", "00A4080C0450154401"}, 0},
                    });
}

// The card refuses SELECT 3F00 with P1 00 (6A86); the card object switches to P1 01.
TEST_F(MfLearningIT, MasterFileSelectLearnsP1) {
    cia().invalidateSelection();
    RunSteps(
        cia(),
        {{"", "50155031", false, {"00A4000C023F00", "00A4010C023F00", "00A4090C0450155031"}, 0}});
    EXPECT_EQ(cia().mfSelectP1(), 0x01);
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
