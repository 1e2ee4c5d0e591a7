// IASConnectA's status codes, recovery from a reset made by another PC/SC
// client, and card removal in the middle of a read. The program holds both
// readers: the other one must stay empty for the no-card case.
#include "CardIT.h"

#include "Zaz/PCSCWrapperMicrosoft.h"
#include "Zaz/SCardCommException.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

using cardit::TraceMark;

namespace {

/// A library context released however the test ends, and a card handle.
class ConnectIT : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(ias::IASInitialize(&context), ias::IAS_S_OK); }
    void TearDown() override {
        if (context != nullptr) {
            ias::IASFinalize(context);
        }
    }
    void Connect() { ASSERT_EQ(ias::IASConnectA(context, &reader[0], card), ias::IAS_S_OK); }
    unsigned short SelectMf() {
        ias::CBlob response;
        unsigned short sw = 0;
        card.sendAPDU(0x00, 0xA4, 0x00, 0x0C, ias::CBlob(), 0, response, sw);
        return sw;
    }
    void* context = nullptr;
    std::string reader = cardit::Reader();
    ias::CIASCard card;
};

/// Shaped like the library's context but with the wrong first word.
struct ForgedContext {
    std::uint32_t magic = 0xBEEF;
    long pcscContext = 0;
    std::uint32_t ownerPid = 0;
};

} // namespace

TEST_F(ConnectIT, StatusCodes) {
    ForgedContext forged;
    std::string other = reader.substr(0, reader.size() - 1) + (reader.back() == '0' ? "1" : "0");
    std::string unknown = "No Such Reader 00 00";
    struct Case {
        const char* name;
        void* context;
        char* reader;
        unsigned long code;
    } cases[] = {
        {"null context, null reader", nullptr, nullptr, ias::IAS_E_INVALID_CONTEXT},
        {"null reader", context, nullptr, ias::IAS_E_CONNECT_FAILED},
        {"null context", nullptr, &reader[0], ias::IAS_E_INVALID_CONTEXT},
        {"forged context", &forged, &reader[0], ias::IAS_E_INVALID_CONTEXT},
        {"unknown reader", context, &unknown[0], ias::IAS_E_CONNECT_FAILED},
        {"reader without a card", context, &other[0], ias::IAS_E_CONNECT_FAILED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TraceMark mark;
        ias::CIASCard none;
        EXPECT_EQ(ias::IASConnectA(c.context, c.reader, none), c.code);
        EXPECT_EQ(none.getPCSCHandle(), 0);
        EXPECT_TRUE(mark.NewLines().empty());
    }

    // Success: a PC/SC handle and one warm reset, nothing else sent.
    TraceMark mark;
    Connect();
    EXPECT_NE(card.getPCSCHandle(), 0);
    // pcscd powers an idle card down after a while and up again on connect
    std::vector<std::string> lines = mark.NewLines();
    if (!lines.empty() && lines.front() == "! POWER_ON") {
        lines.erase(lines.begin());
    }
    EXPECT_EQ(lines, std::vector<std::string>{"! RESET"});
    EXPECT_EQ(cardit::Hex(card.atr()), cardit::ProfileAtr());
    EXPECT_EQ(ias::IASFinalize(context), ias::IAS_S_OK);
    context = nullptr;
    EXPECT_EQ(SelectMf(), 0x9000); // the handle outlives the context
}

// Another application resets the card between two commands: the next
// command reconnects and goes out once, after the reset.
TEST_F(ConnectIT, ResetByAnotherClientIsTransparent) {
    Connect();
    ASSERT_EQ(SelectMf(), 0x9000);

    TraceMark mark;
    {
        ZAZ::PCSCWrapperMicrosoft other;
        other.Connect(reader, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1);
        other.WarmReset();
    }
    ias::CBlob response;
    unsigned short sw = 0;
    card.sendAPDU(0x00, 0xB0, 0x9E, 0x00, ias::CBlob(), 0x10, response, sw);
    EXPECT_EQ(sw, 0x9000);
    EXPECT_EQ(response.size(), 0x10u);
    const std::vector<std::string> lines = mark.NewLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "! RESET");
    EXPECT_EQ(mark.NewCommands(), std::vector<std::string>{"00B09E0010"});
    EXPECT_EQ(cardit::Hex(card.atr()), cardit::ProfileAtr());
    auto& terminal = ias::CIASCardAccess::impl(card).terminal;
    EXPECT_EQ(terminal.exchangeCount(), 2u);
}

// The card leaves the reader while a 2048-byte file is being read over and
// over: the read fails with the PC/SC code in the message, and so does the
// next public call.
TEST_F(ConnectIT, RemovalMidReadNamesThePcscCode) {
    Connect();
    IAS::CCiaCard& cia = ias::CIASCardAccess::impl(card).card;
    cia.selectFile(ZAZ::ByteVector("A000000063504B43532D3135"), ZAZ::ByteVector("3401"));

    std::atomic<bool> reading{false};
    std::atomic<int> stopped{-1};
    std::thread remover([&] {
        while (!reading) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stopped = cardit::VcardCtl("stop");
    });
    int reads = 0;
    unsigned long code = 0;
    std::string message;
    try {
        for (; reads < 5000; ++reads) {
            EXPECT_EQ(cia.readBinary(0, 0, 2048).size(), 2048);
            reading = true;
        }
    } catch (const ZAZ::SCardCommException& e) {
        code = e.getErrorCode();
        message = e.message();
    } catch (const ZAZ::CardFrameworkException& e) {
        message = e.message();
        ADD_FAILURE() << "not a PC/SC failure: " << typeid(e).name() << " " << message;
    }
    reading = true;
    remover.join();
    EXPECT_EQ(stopped, 0);
    EXPECT_GT(reads, 0);
    ASSERT_NE(code, 0u) << "no PC/SC failure after " << reads << " reads";
    EXPECT_EQ((code & 0xFFFF0000UL), 0x80100000UL);
    char codeHex[16];
    std::snprintf(codeHex, sizeof codeHex, "0x%.8lX", code);
    EXPECT_NE(message.find(codeHex), std::string::npos) << message;
    try {
        SelectMf();
        ADD_FAILURE() << "sent to a removed card";
    } catch (const ias::CIASException& e) {
        EXPECT_EQ(e.errorClass(), ias::CIASException::IAS_ERR_CARD_FRAMEWORK);
        EXPECT_NE(std::string(e.descriptionA()).find("0x8010"), std::string::npos)
            << e.descriptionA();
    }
    EXPECT_EQ(cardit::VcardCtl("start"), 0);
}
