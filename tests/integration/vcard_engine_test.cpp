// The card engine of ias-vcard without pcscd: what neither the sample cards
// nor the awkward profile exercise through pcscd.
#include "card.h"
#include "profile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vcard::Bytes;
using vcard::fromHex;
using vcard::toHex;

const char* kT1Atr = "3B DD 18 00 81 31 FE 45 80 F9 A0 00 00 00 77 01 08 00 07 90 00 FE";

std::string profile(const std::string& behaviour, const std::string& faults = "[]",
                    const char* atr = kT1Atr) {
    return std::string(R"({"atr": ")") + atr + R"(", "behaviour": )" + behaviour +
           R"(, "faults": )" + faults + R"(,
      "pins": [{"reference": "81", "value": "1234", "unblockedBy": "83"},
               {"reference": "83", "value": "12345678", "maxTries": 10, "minLength": 8}],
      "mf": {"df": "3F00", "children": [
        {"ef": "2F00", "sfi": 30, "content": "0102030405060708090A", "size": 300, "filler": "FF"},
        {"df": "5015", "name": "A000000063", "children": [
          {"ef": "5031", "content": "A0063004040244019000"}]}]}})";
}

vcard::VirtualCard card(const std::string& json) {
    return vcard::VirtualCard(vcard::parseProfile(json, "."));
}

std::string run(vcard::VirtualCard& c, const std::string& apdu) {
    return toHex(c.process(fromHex(apdu)));
}

TEST(VcardEngine, ProtocolIsTheFirstOneTheAtrOffers) {
    EXPECT_EQ(vcard::protocolOfAtr(fromHex(kT1Atr)), 1);
    EXPECT_EQ(vcard::protocolOfAtr(fromHex("3B7F96000000 31B8644070 14107394018082 9000")), 0);
    EXPECT_EQ(vcard::protocolOfAtr(fromHex("3BDF960080B1FE451F830012276F5741495242555331079000EA")),
              0); // TD1 offers T=0 first, T=1 second
    EXPECT_EQ(vcard::protocolOfAtr(fromHex("3B")), 0);
}

TEST(VcardEngine, CommandsGetStatusWords) {
    auto c = card(profile("{}"));
    struct {
        const char* apdu;
        const char* answer;
    } cases[] = {
        {"", "6700"},
        {"00A400", "6700"},
        {"00A4000C0000", "6700"}, // Lc 0: extended length, not supported
        {"00A4000C023F", "6700"}, // data shorter than Lc
        {"FFA4000C023F00", "6E00"},
        {"00A4000C023F00", "9000"},
        {"00B0000000", "6986"}, // no current EF
        {"00B100000454020000", "6986"},
        {"00B09F0000", "6A82"}, // no EF with SFI 31
        {"00B0C00000", "6A86"},
        {"00B1000004530200 00", "6A80"}, // offset object must be 54
        {"00200081", "63C3"},
        // SELECT forms the library never sends.
        {"00A4080C0450155031", "9000"},
        {"00A4080C063F0050155031", "6A82"}, // a path from the MF leaves 3F00 out
        {"00A4080C03501550", "6700"},
        {"00A4050C025031", "6A86"},
        {"00A4020C025015", "6A82"},   // a DF is not an EF
        {"00A4040C03A00000", "9000"}, // partial DF name
        {"00A4090C025031", "9000"},
        {"00EE0000", "6D00"},
        // Chaining: the pieces join; another instruction breaks the chain.
        {"10200081023132", "9000"},
        {"00200081023334", "9000"},
        {"10200081023132", "9000"},
        {"00240081023334", "6883"},
        {"10200081023132", "9000"},
        {"00200081023335", "63C2"},
    };
    for (const auto& t : cases) {
        EXPECT_EQ(run(c, t.apdu), t.answer) << t.apdu;
    }
}

TEST(VcardEngine, GetResponseInPiecesUnderT1WhenAsked) {
    auto c = card(profile(R"({"getResponse": true, "getResponsePiece": 8})"));
    std::string first = run(c, "00A40204022F0000");
    ASSERT_EQ(first, "6108");
    std::string fcp;
    std::string r = first;
    int rounds = 0;
    while (r.size() >= 4 && r.substr(r.size() - 4, 2) == "61" && rounds++ < 10) {
        r = run(c, "00C00000" + r.substr(r.size() - 2));
        fcp += r.substr(0, r.size() - 4);
    }
    EXPECT_EQ(r.substr(r.size() - 4), "9000");
    EXPECT_EQ(fcp, "6211"
                   "8002012C820101"
                   "83022F008801F08A0105");
    EXPECT_EQ(rounds, 3);
    EXPECT_EQ(run(c, "00C0000008"), "6985");
    // Any other command drops data not yet fetched.
    ASSERT_EQ(run(c, "00A40204022F0000"), "6108");
    EXPECT_EQ(run(c, "00200081"), "63C3");
    EXPECT_EQ(run(c, "00C0000008"), "6985");
}

TEST(VcardEngine, OddReadBinaryWrapsUnlessSwitchedOff) {
    auto wrapped = card(profile("{}"));
    auto plain = card(profile(R"({"wrapOddRead": false})"));
    EXPECT_EQ(run(wrapped, "00B12F0004540200020A"), "5308030405060708090A9000");
    EXPECT_EQ(run(plain, "00B12F0004540200020A"), "030405060708090AFFFF9000");
    EXPECT_EQ(run(plain, "00B1001E0354010103"), "0203049000");
}

TEST(VcardEngine, ProfileMistakesAreReported) {
    struct {
        const char* json;
        const char* message;
    } cases[] = {
        {"{", "not valid JSON"},
        {R"({"atr": "3B00"})", "master file"},
        {R"({"atr": "00", "mf": {"df": "3F00"}})", "atr"},
        {R"({"atr": "3B00", "mf": {"df": "3F01"}})", "3F00"},
        {R"({"atr": "3B00", "mf": {"df": "3F00", "children": [{"ef": "2F00"}, {"ef": "2F00"}]}})",
         "same file identifier"},
        {R"({"atr": "3B00", "mf": {"df": "3F00", "children": [{"ef": "2F00", "content": "0102",
            "size": 1}]}})",
         "smaller"},
        {R"({"atr": "3B00", "mf": {"df": "3F00"}, "pins": [{"reference": "81", "value": "12"}]})",
         "minLength"},
    };
    for (const auto& t : cases) {
        try {
            vcard::parseProfile(t.json, ".");
            ADD_FAILURE() << "accepted: " << t.json;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(t.message), std::string::npos)
                << t.json << " -> " << e.what();
        }
    }
}

} // namespace
