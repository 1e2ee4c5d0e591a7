// APDU encoding through the public handle and the state IASConnectA leaves,
// checked against the bytes the virtual card received; chaining, GET
// RESPONSE, status words and the selection cache are unit-tested on a script
// (CCardTest, CCiaCardTest).
#include "CardIT.h"

#include <numeric>
#include <string>
#include <vector>

using cardit::Hex;
using cardit::TraceMark;

namespace {

class ApduIT : public cardit::ConnectedCard {};
class SelectionIT : public cardit::ConnectedCard {};

} // namespace

// sendAPDU builds exactly one short APDU: case 1 gets a P3 under T=0, case 4
// loses its Le under T=0, Le 256 travels as 00.
TEST_F(ApduIT, SendApduEncodesTheFourCasesForTheProtocol) {
    const bool t0 = cardit::ProfileIsT0();
    unsigned char bytes[255]; // all different, so misplaced ones show up
    std::iota(bytes, bytes + sizeof bytes, 0);
    const std::string data255 = Hex(bytes, sizeof bytes);
    struct Case {
        const char* name;
        const char* header;
        std::string data;
        unsigned long le;
        std::string wireT1;
        std::string wireT0;
    } cases[] = {
        {"case 1", "00A4000C", "", 0, "00A4000C", "00A4000C00"},
        {"case 3", "00A4020C", "2F00", 0, "00A4020C022F00", "00A4020C022F00"},
        {"case 2", "00B09E00", "", 0x10, "00B09E0010", "00B09E0010"},
        {"case 2, Le 256", "00B09E00", "", 256, "00B09E0000", "00B09E0000"},
        {"case 4", "00A40204", "2F00", 256, "00A40204022F0000", "00A40204022F00"},
        {"255 data bytes", "00CA0000", data255, 0, "00CA0000FF" + data255, "00CA0000FF" + data255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TraceMark mark;
        ias::CBlob response;
        const unsigned short sw = Send(c.header, c.data.c_str(), c.le, &response);
        EXPECT_NE(sw, 0); // any status word comes back unexamined
        EXPECT_EQ(mark.NewCommands(), std::vector<std::string>{t0 ? c.wireT0 : c.wireT1});
        if (c.le == 0x10) {
            EXPECT_EQ(sw, 0x9000);
            EXPECT_EQ(response.size(), 0x10u);
        }
    }
}

TEST_F(ApduIT, OversizedCommandsAreRefusedBeforeSending) {
    struct Case {
        const char* name;
        int dataLength;
        unsigned long le;
    } cases[] = {{"256 data bytes", 256, 0}, {"Le 257", 0, 257}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TraceMark mark;
        ias::CBlob response;
        unsigned short sw = 0;
        try {
            card.sendAPDU(0x00, 0xCA, 0x00, 0x00, ias::CBlob(c.dataLength, '\x11'), c.le, response,
                          sw);
            ADD_FAILURE() << "accepted";
        } catch (const ias::CIASException& e) {
            EXPECT_EQ(e.errorClass(), ias::CIASException::IAS_ERR_CARD_FRAMEWORK);
            EXPECT_EQ(e.sw(), 0u);
            EXPECT_STREQ(e.descriptionA(), "Illegal parameter in function call.");
        }
        EXPECT_TRUE(mark.NewCommands().empty());
    }
    // Still usable.
    EXPECT_EQ(Send("00A4000C", "", 0), 0x9000);
}

// After IASConnectA the MF is current: a child of it takes one SELECT, which
// expects data and so carries Le 00 under T=1.
TEST_F(SelectionIT, MasterFileIsCurrentAfterConnect) {
    TraceMark mark;
    cia().selectFileRaw(ZAZ::ByteVector(), ZAZ::ByteVector("2F00"), nullptr);
    EXPECT_EQ(
        mark.NewCommands(),
        std::vector<std::string>{cardit::ProfileIsT0() ? "00A4020C022F00" : "00A4020C022F0000"});
    EXPECT_TRUE(cia().selectionValid());
}
