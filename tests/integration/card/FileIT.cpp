// The selection cache of the handle's card object against the virtual card;
// MF learning and the READ BINARY forms are unit-tested on a script.
#include "CardIT.h"

#include <string>
#include <vector>

using cardit::TraceMark;
using Wire = std::vector<std::string>;

namespace {

const char* const kAid = "A000000063504B43532D3135";

class SelectionIT : public cardit::ConnectedCard {};

struct SelectStep {
    const char* aid;
    const char* path;
    bool fcp;
    Wire wire;
};

// Every SELECT expects response data, so under T=1 it carries Le 00 even
// with P2 0C; the steps list the commands without it.
void RunSteps(IAS::CCiaCard& cia, const std::vector<SelectStep>& steps) {
    const std::string le = cardit::ProfileIsT0() ? "" : "00";
    for (const SelectStep& s : steps) {
        SCOPED_TRACE(std::string(s.aid) + "/" + s.path);
        TraceMark mark;
        ZAZ::ByteVector fcp;
        cia.selectFileRaw(ZAZ::ByteVector(s.aid), ZAZ::ByteVector(s.path), s.fcp ? &fcp : nullptr);
        Wire expected = s.wire;
        for (std::string& w : expected) {
            w += le;
        }
        EXPECT_EQ(mark.NewCommands(), expected);
        EXPECT_TRUE(cia.selectionValid());
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
                        {"", "2F00", false, {"00A4020C022F00"}},
                        {kAid, "5031", false, {SelectAid(), "00A4020C025031"}},
                        {kAid, "5031", false, {}},
                        {kAid, "5032", false, {"00A4020C025032"}},
                        // An FCP is always fetched from the card.
                        {kAid, "5032", true, {"00A40204025032"}},
                        {"", "3F0050154401", false, {"00A4000C023F00", "00A4080C0450154401"}},
                    });
}
