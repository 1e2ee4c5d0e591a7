#ifndef TESTS_CARD_SCRIPTEDTERMINAL_H
#define TESTS_CARD_SCRIPTEDTERMINAL_H

#include "Card/CTerminal.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>

// A terminal that replays a script of exchanges. Each step names the command
// as "CLA INS P1 P2 [Lc data] [Le]" (Le present when le != 0, 256 as 00) and
// the response as data followed by SW1 SW2, all in hex. A response starting
// with "!" comes after the card was reset by another application.
class ScriptedTerminal : public IAS::CTerminal {
public:
    void expect(const char* command, const char* response) {
        m_script.emplace_back(ZAZ::ByteVector(command).toString(), response);
    }
    bool done() const { return m_script.empty(); }
    int resets = 0;
    int sent = 0;
    std::uint32_t resetsByOthers = 0;

    int transactions = 0; // open now
    int sentOutside = 0;  // commands sent while none was open

    void beginTransaction() override { ++transactions; }
    void endTransaction() override { --transactions; }
    ZAZ::ByteVector atr() override { return ZAZ::ByteVector("3B00"); }
    std::string readerName() override { return "Scripted"; }
    void reset() override { ++resets; }
    void transmit(std::uint8_t cla, std::uint8_t ins, std::uint8_t p1, std::uint8_t p2,
                  const ZAZ::ByteVectorBase& data, std::uint32_t le, ZAZ::ByteVector& responseData,
                  std::uint16_t& sw) override {
        ++sent;
        sentOutside += transactions == 0 ? 1 : 0;
        ZAZ::ByteVector command;
        for (std::uint8_t b : {cla, ins, p1, p2}) {
            command.appendByte(b);
        }
        if (!data.empty()) {
            command.appendByte(static_cast<std::uint8_t>(data.size()));
            command.append(data);
        }
        if (le != 0) {
            command.appendByte(static_cast<std::uint8_t>(le & 0xFF));
        }
        if (m_script.empty()) {
            ADD_FAILURE() << "step " << sent << ": unexpected command " << command.toString();
            responseData.clear();
            sw = 0x6F00;
            return;
        }
        const auto step = m_script.front();
        m_script.pop_front();
        EXPECT_EQ(command.toString(), step.first) << "step " << sent;
        const bool afterReset = step.second[0] == '!';
        resetsByOthers += afterReset ? 1 : 0;
        const ZAZ::ByteVector response(step.second.c_str() + (afterReset ? 1 : 0));
        const std::int32_t n = response.size();
        responseData = response.substr(0, n - 2);
        sw = static_cast<std::uint16_t>((response[n - 2] << 8) | response[n - 1]);
    }
    bool supportsSecurePinEntry() const override { return false; }
    bool supportsExtendedLength() const override { return false; }
    std::uint32_t exchangeCount() const override { return static_cast<std::uint32_t>(sent); }
    std::uint32_t resetCount() const override { return resetsByOthers; }

private:
    std::deque<std::pair<std::string, std::string>> m_script;
};

#endif
