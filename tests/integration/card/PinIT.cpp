// PIN commands through the public handle on the T=1 sample card (user PIN
// 81 "1234", signature PIN 82 "123456", PUK 83 "12345678" unblocking both),
// with the library log switched on to show that no PIN value is written.
#include "CardIT.h"

#include "Zaz/TempConfigRoot.h"

#include <cstring>
#include <string>
#include <vector>

using cardit::TraceMark;

namespace {

class PinIT : public cardit::ConnectedCard {};

enum class Op { Verify, Change, Unblock, Reset };

struct Step {
    Op op;
    unsigned char reference;
    const char* value;
    unsigned int sw;  // 0: accepted
    const char* wire; // expected command, or nullptr to skip the check
};

} // namespace

TEST_F(PinIT, VerifyChangeAndUnblock) {
    LoggedConfigRoot log;
    const std::string t1Le = cardit::ProfileIsT0() ? "" : "00";
    const Step steps[] = {
        // The card counts the tries; one refusal shows how its status word comes back.
        {Op::Verify, 0x81, "1234", 0, "002000810431323334"},
        {Op::Verify, 0x81, "9999", 0x63C2, nullptr},
        // RESET RETRY COUNTER with the new PIN only needs the PUK verified first.
        {Op::Unblock, 0x81, "4321", 0x6982, "002C02810434333231"},
        {Op::Verify, 0x83, "12345678", 0, nullptr},
        {Op::Unblock, 0x81, "4321", 0, nullptr},
        {Op::Verify, 0x81, "4321", 0, nullptr},
        // CHANGE REFERENCE DATA with the new PIN only, after a verification.
        {Op::Change, 0x81, "1234", 0, "002401810431323334"},
        {Op::Verify, 0x81, "1234", 0, nullptr},
        // A reset forgets the verification, so a change is refused.
        {Op::Reset, 0, "", 0, nullptr},
        {Op::Change, 0x81, "5555", 0x6982, nullptr},
        {Op::Verify, 0x81, "1234", 0, nullptr},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.reference) + " " + s.value);
        TraceMark mark;
        const ias::CBlob value(std::string(s.value));
        unsigned int sw = 0;
        try {
            switch (s.op) {
            case Op::Verify:
                card.verify(s.reference, value);
                break;
            case Op::Change:
                card.changePIN(s.reference, value);
                break;
            case Op::Unblock:
                card.unblockPIN(s.reference, value);
                break;
            case Op::Reset:
                card.reset();
                break;
            }
        } catch (const ias::CIASException& e) {
            EXPECT_EQ(e.errorClass(), ias::CIASException::IAS_ERR_CARD_FRAMEWORK);
            EXPECT_STREQ(e.descriptionA(), "IsoException");
            sw = e.sw();
        }
        EXPECT_EQ(sw, s.sw);
        if (s.wire != nullptr) {
            // The wrapper follows a PIN command with a SELECT of as many
            // zero bytes, to overwrite the PIN in the reader's buffers.
            EXPECT_EQ(mark.NewCommands(),
                      (std::vector<std::string>{s.wire, "00A402000400000000" + t1Le}));
        }
    }
    // The handle is still usable after all those refusals.
    EXPECT_EQ(Send("00A4000C", "", 0), 0x9000);

    const std::string text = log.Log();
    ASSERT_NE(text.find("00 20 00 81 XX"), std::string::npos) << "VERIFY not logged:\n" << text;
    EXPECT_EQ(text.find("A4 02 00 04"), std::string::npos) << "overwrite traced";
    for (const char* pin : {"1234", "9999", "4321", "12345678", "5555"}) {
        // The log writes bytes as spaced hex: "31 32 33 34".
        std::string spaced = ZAZ::ByteVector(reinterpret_cast<const unsigned char*>(pin),
                                             static_cast<std::int32_t>(std::strlen(pin)))
                                 .toString();
        spaced.pop_back();
        EXPECT_EQ(text.find(spaced), std::string::npos) << pin;
    }
}
