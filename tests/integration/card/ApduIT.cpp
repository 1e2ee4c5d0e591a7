// APDU encoding, command chaining, GET RESPONSE and status words, checked
// against the bytes the virtual card received.
#include "CardIT.h"

#include "TestSupport.h"

#include <string>
#include <vector>

using namespace testsupport;

using cardit::Hex;
using cardit::TraceMark;

namespace {

class ApduIT : public cardit::ConnectedCard {};
class GetResponseIT : public cardit::ConnectedCard {};
class AwkwardStatusIT : public cardit::ConnectedCard {};

} // namespace

// sendAPDU builds exactly one short APDU: case 1 gets a P3 under T=0, case 4
// loses its Le under T=0, Le 256 travels as 00.
TEST_F(ApduIT, SendApduEncodesTheFourCasesForTheProtocol) {
    const bool t0 = cardit::ProfileIsT0();
    const std::string data255 = Hex(cardit::Pattern(255));
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

// 600 bytes go out as 255 + 255 + 90 with the chaining bit on the first two;
// only the last piece carries the caller's Le (and only under T=1).
TEST_F(ApduIT, LongCommandIsChained) {
    const ZAZ::ByteVector data = cardit::Pattern(600);
    TraceMark mark;
    const unsigned short sw =
        IsoSw([&] { cia().transmit(IAS::CCardCommand(0x00, 0xCA, 0x01, 0x02, data), 0x10); });
    EXPECT_EQ(sw, 0x6D00); // the card ran the whole command: INS not supported
    const std::string last = "00CA01025A" + Hex(data.substr(510, 90));
    EXPECT_EQ(mark.NewCommands(),
              (std::vector<std::string>{"10CA0102FF" + Hex(data.substr(0, 255)),
                                        "10CA0102FF" + Hex(data.substr(255, 255)),
                                        cardit::ProfileIsT0() ? last : last + "10"}));
}

// Every 61xx is followed by GET RESPONSE with Le = SW2 on the command's
// logical channel, and the pieces are joined.
TEST_F(GetResponseIT, PiecesAreCollected) {
    TraceMark mark;
    const ZAZ::ByteVector fcp = cia().select(0x02, 0x04, ZAZ::ByteVector("2F00"));
    const std::vector<std::string> lines = mark.NewLines();
    ASSERT_GE(lines.size(), 6u) << "expected at least two GET RESPONSE rounds";
    EXPECT_EQ(lines[0], cardit::ProfileIsT0() ? "> 00A40204022F00" : "> 00A40204022F0000");
    std::string joined;
    int rounds = 0;
    for (std::size_t i = 1; i < lines.size(); i += 2) {
        const std::string& answer = lines[i];
        ASSERT_EQ(answer.rfind("< ", 0), 0u) << answer;
        const std::string sw = answer.substr(answer.size() - 4);
        joined += answer.substr(2, answer.size() - 6);
        if (sw == "9000") {
            EXPECT_EQ(i + 1, lines.size()) << "sent after 9000";
            break;
        }
        ASSERT_EQ(sw.substr(0, 2), "61");
        ASSERT_LT(i + 1, lines.size());
        EXPECT_EQ(lines[i + 1], "> 00C00000" + sw.substr(2));
        ++rounds;
    }
    EXPECT_GE(rounds, 2);
    EXPECT_EQ(Hex(fcp), joined);
    EXPECT_EQ(fcp[0], 0x62);
}

// Scripted status words: each raises IsoException after exactly one
// exchange (6Cxx is not retried, warnings are errors); a 61xx on channel 1
// of a proprietary class fetches with CLA 01.
TEST_F(AwkwardStatusIT, StatusWordsOtherThan9000And61xxAreRaised) {
    struct Case {
        IAS::CCardCommand command;
        std::uint32_t le;
        unsigned short sw;
        std::vector<std::string> wire;
    } cases[] = {
        {IAS::CCardCommand(0x00, 0xCA, 0x01, 0x01), 0x20, 0x6C10, {"00CA010120"}},
        {IAS::CCardCommand(0x00, 0xCA, 0x01, 0x02), 0, 0x6283, {"00CA0102"}},
        {IAS::CCardCommand(0x00, 0xCA, 0x01, 0x03), 0, 0x63C1, {"00CA0103"}},
        {IAS::CCardCommand(0x00, 0xB0, 0x9E, 0x00), 0x50, 0x6282, {"00B09E0050"}},
        {IAS::CCardCommand(0x00, 0xA4, 0x02, 0x0C, ZAZ::ByteVector("7777")),
         0,
         0x6A82,
         {"00A4020C027777"}},
        {IAS::CCardCommand(0x81, 0xCA, 0x01, 0x04), 0, 0x6881, {"81CA0104", "01C0000004"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wire.front());
        TraceMark mark;
        EXPECT_EQ(IsoSw([&] {
                      c.le == 0 ? cia().transmit(c.command)
                                : cia().transmit(c.command, static_cast<std::uint8_t>(c.le));
                  }),
                  c.sw);
        EXPECT_EQ(mark.NewCommands(), c.wire);
    }
}
