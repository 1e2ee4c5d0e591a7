// The PC/SC bench: a plain pcsc-lite client drives ias-vcard through pcscd
// and vpcd. Run under scripts/with-vcard (see CardTest.cmake), which exports
// the reader, the profile, the trace file and the card control script.
#include <PCSC/winscard.h>
#include <PCSC/wintypes.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(const std::string& s) {
    Bytes out;
    std::string digits;
    for (char c : s) {
        if (c != ' ') {
            digits.push_back(c);
        }
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string toHex(const Bytes& b) {
    static const char d[] = "0123456789ABCDEF";
    std::string s;
    for (auto x : b) {
        s += d[x >> 4];
        s += d[x & 15];
    }
    return s;
}

std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The card directory next to the profile: cards/x.json -> cards/x/.
std::string cardDir() {
    std::string p = env("IAS_VCARD_PROFILE");
    return p.substr(0, p.size() - 5);
}
bool isIasEcc() {
    return cardDir().find("iasecc") != std::string::npos;
}

int runCtl(const std::string& action) {
    std::string cmd = "\"" + env("IAS_VCARD_CTL") + "\" " + action;
    return std::system(cmd.c_str());
}

std::uint16_t swOf(const Bytes& r) {
    return r.size() < 2 ? 0 : static_cast<std::uint16_t>(r[r.size() - 2] << 8 | r.back());
}
Bytes dataOf(const Bytes& r) {
    return Bytes(r.begin(), r.end() - (r.size() < 2 ? 0 : 2));
}

class Client {
public:
    Client() {
        EXPECT_EQ(SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &ctx_),
                  SCARD_S_SUCCESS);
    }
    ~Client() {
        if (card_) {
            SCardDisconnect(card_, SCARD_LEAVE_CARD);
        }
        SCardReleaseContext(ctx_);
    }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    LONG connect() {
        return SCardConnect(ctx_, env("IAS_TEST_READER").c_str(), SCARD_SHARE_SHARED,
                            SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card_, &protocol_);
    }
    // A new connection, after the card was replaced.
    LONG fresh() {
        if (card_) {
            SCardDisconnect(card_, SCARD_LEAVE_CARD);
            card_ = 0;
        }
        return connect();
    }
    LONG reconnect(DWORD init) {
        return SCardReconnect(card_, SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1,
                              init, &protocol_);
    }
    bool t0() const { return protocol_ == SCARD_PROTOCOL_T0; }

    // Sends the bytes as they are; returns the PC/SC result.
    LONG raw(const Bytes& cmd, Bytes& response) {
        BYTE buf[260];
        DWORD len = sizeof buf;
        const SCARD_IO_REQUEST* pci = t0() ? SCARD_PCI_T0 : SCARD_PCI_T1;
        LONG r = SCardTransmit(card_, pci, cmd.data(), static_cast<DWORD>(cmd.size()), nullptr, buf,
                               &len);
        response.assign(buf, buf + (r == SCARD_S_SUCCESS ? len : 0));
        return r;
    }
    Bytes send(const Bytes& cmd) {
        Bytes r;
        EXPECT_EQ(raw(cmd, r), SCARD_S_SUCCESS) << toHex(cmd);
        return r;
    }
    Bytes send(const std::string& cmd) { return send(hex(cmd)); }

    // Builds the wire form of a short APDU for the active protocol: under T=0
    // a case-4 command loses its Le and a case-1 command gets P3 = 00.
    Bytes apdu(const std::string& header, const Bytes& data, int le) {
        Bytes c = hex(header);
        if (!data.empty()) {
            c.push_back(static_cast<std::uint8_t>(data.size()));
            c.insert(c.end(), data.begin(), data.end());
            if (le > 0 && !t0()) {
                c.push_back(static_cast<std::uint8_t>(le & 0xFF));
            }
        } else if (le > 0) {
            c.push_back(static_cast<std::uint8_t>(le & 0xFF));
        } else if (t0()) {
            c.push_back(0);
        }
        return c;
    }
    // One command with the 61xx answers collected; data plus final status word.
    Bytes exchange(const std::string& header, const Bytes& data, int le) {
        Bytes r = send(apdu(header, data, le));
        Bytes all = dataOf(r);
        for (int guard = 0; guard < 64 && (swOf(r) >> 8) == 0x61; ++guard) {
            int n = swOf(r) & 0xFF;
            r = send(Bytes{0x00, 0xC0, 0x00, 0x00, static_cast<std::uint8_t>(n)});
            Bytes d = dataOf(r);
            all.insert(all.end(), d.begin(), d.end());
        }
        all.push_back(static_cast<std::uint8_t>(swOf(r) >> 8));
        all.push_back(static_cast<std::uint8_t>(swOf(r) & 0xFF));
        return all;
    }

    SCARDCONTEXT ctx_ = 0;
    SCARDHANDLE card_ = 0;
    DWORD protocol_ = 0;
};

class Bench : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(env("IAS_TEST_READER").empty()) << "run through scripts/with-vcard";
        ASSERT_EQ(c.connect(), SCARD_S_SUCCESS);
    }
    Client c;
};

struct Step {
    const char* command; // T=1/T=0 neutral: case 1 or case 3
    std::uint16_t sw;
};

void runSteps(Client& c, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        Bytes cmd = hex(s.command);
        if (cmd.size() == 4 && c.t0()) {
            cmd.push_back(0);
        }
        EXPECT_EQ(swOf(c.send(cmd)), s.sw) << s.command;
    }
}

TEST_F(Bench, ProtocolFollowsTheAtr) {
    // The IAS ECC sample offers T=1 only, the older IAS sample T=0 only.
    EXPECT_EQ(c.t0(), !isIasEcc());
}

TEST_F(Bench, SelectForms) {
    runSteps(c, {
                    {"00A4000C023F00", static_cast<std::uint16_t>(isIasEcc() ? 0x9000 : 0x6A86)},
                    {"00A4010C023F00", static_cast<std::uint16_t>(isIasEcc() ? 0x6A86 : 0x9000)},
                    {"00A4040C0CA000000063504B43532D3135", 0x9000},
                    {"00A4020C025031", 0x9000},
                    {"00A4020C025015", 0x6A82}, // a DF is not an EF
                    {"00A4080C0450154401", 0x9000},
                    {"00A4090C024402", 0x9000},
                    {"00A4080C063F0050154401", 0x6A82}, // path from MF excludes 3F00
                    {"00A4080C03501544", 0x6700},
                    {"00A4050C025031", 0x6A86},
                    {"00A40201025031", 0x6A86},
                    {"00A4020C02FFFF", 0x6A82},
                    {"00A4040C05E828BD080F", 0x9000}, // partial DF name
                    {"00A4020C022F00", 0x9000},       // MF is current after that
                    {"00A4000C033F00", 0x6700},       // Lc disagrees with the data
                    {"80A4000C023F00", 0x6E00},
                    {"0CA4000C023F00", 0x6882},
                    {"01A4000C023F00", 0x6881},
                    {"00EE0000", 0x6D00},
                    {"00C00000", 0x6985}, // nothing to get
                });
}

TEST_F(Bench, FcpOfEfAndDf) {
    Bytes ef = c.exchange("00A40804", hex("50154404"), 256);
    ASSERT_EQ(swOf(ef), 0x9000);
    // CDF: 640 bytes, transparent EF 4404 without short identifier.
    std::string want = isIasEcc() ? "6219"
                                    "80020280"
                                    "820101"
                                    "83024404"
                                    "8800"
                                    "8A0105"
                                  : "6212"
                                    "80020140"
                                    "820101"
                                    "83024404"
                                    "8A0105";
    EXPECT_EQ(toHex(dataOf(ef)).substr(0, want.size()), want);
    Bytes df = c.exchange("00A40404", hex("A000000063504B43532D3135"), 256);
    ASSERT_EQ(swOf(df), 0x9000);
    std::string f = toHex(dataOf(df));
    EXPECT_NE(f.find("820138"), std::string::npos) << f;
    EXPECT_NE(f.find("83025015"), std::string::npos) << f;
    EXPECT_NE(f.find("840CA000000063504B43532D3135"), std::string::npos) << f;
}

TEST_F(Bench, ReadWholeFileInChunks) {
    Bytes expected = readFile(cardDir() + "/prkdf.der");
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(swOf(c.send(c.apdu("00A4080C", hex("50154402"), 0))), 0x9000);
    std::size_t size = isIasEcc() ? 512 : 256;
    Bytes content;
    std::vector<std::uint16_t> sws;
    while (content.size() < size + 1) {
        std::size_t off = content.size();
        Bytes r = c.send(Bytes{0x00, 0xB0, static_cast<std::uint8_t>(off >> 8),
                               static_cast<std::uint8_t>(off & 0xFF), 231});
        sws.push_back(swOf(r));
        if (swOf(r) != 0x9000 && swOf(r) != 0x6282) {
            break;
        }
        Bytes d = dataOf(r);
        content.insert(content.end(), d.begin(), d.end());
    }
    ASSERT_EQ(content.size(), size);
    // Chunks of 231 with a short last read, then past the end.
    std::vector<std::uint16_t> want(size / 231, 0x9000);
    want.push_back(0x6282);
    want.push_back(0x6B00);
    EXPECT_EQ(sws, want);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), content.begin()));
    std::uint8_t fill = content.back();
    EXPECT_TRUE(fill == 0x00 || fill == 0xFF);
    for (std::size_t i = expected.size(); i < content.size(); ++i) {
        ASSERT_EQ(content[i], fill) << "filler at " << i;
    }
}

TEST_F(Bench, ReadByShortIdentifierAndOddInstruction) {
    Bytes dir = readFile(cardDir() + "/ef-dir.bin");
    ASSERT_EQ(swOf(c.send(c.apdu("00A4040C", hex("E828BD080F"), 0))), 0x9000);
    Bytes r = c.send("00B09E0010"); // SFI 30 = EF.DIR, offset 0
    ASSERT_EQ(swOf(r), 0x9000);
    EXPECT_EQ(dataOf(r), Bytes(dir.begin(), dir.begin() + 16));
    // Odd READ BINARY: offset in data object 54, answer inside 53.
    r = c.send(c.apdu("00B12F00", hex("540200 04"), 8));
    // T=0 drops Le: the card asks for GET RESPONSE, in 16-byte pieces here.
    Bytes got = dataOf(r);
    for (int i = 0; i < 10 && (swOf(r) >> 8) == 0x61; ++i) {
        r = c.send(Bytes{0x00, 0xC0, 0x00, 0x00, static_cast<std::uint8_t>(swOf(r) & 0xFF)});
        Bytes d = dataOf(r);
        got.insert(got.end(), d.begin(), d.end());
    }
    ASSERT_EQ(swOf(r), 0x9000);
    // With Le 8 the card fits 6 bytes into 53; without Le it sends the rest of the file.
    std::size_t n = c.t0() ? 96 - 4 : 6; // EF.DIR of the T=0 sample is 96 bytes
    Bytes want{0x53, static_cast<std::uint8_t>(n)};
    Bytes padded = dir;
    padded.resize(96, 0xFF);
    want.insert(want.end(), padded.begin() + 4, padded.begin() + 4 + static_cast<long>(n));
    EXPECT_EQ(toHex(got), toHex(want));
}

TEST_F(Bench, GetResponseAnswers) {
    // Case 4 without Le: the FCP waits for GET RESPONSE under both protocols.
    Bytes r = c.send("00A40204022F00");
    ASSERT_EQ(swOf(r) >> 8, 0x61);
    std::size_t announced = swOf(r) & 0xFF;
    Bytes fcp;
    int pieces = 0;
    while ((swOf(r) >> 8) == 0x61 && pieces < 10) {
        r = c.send(Bytes{0x00, 0xC0, 0x00, 0x00, static_cast<std::uint8_t>(swOf(r) & 0xFF)});
        Bytes d = dataOf(r);
        fcp.insert(fcp.end(), d.begin(), d.end());
        ++pieces;
    }
    EXPECT_EQ(swOf(r), 0x9000);
    EXPECT_EQ(pieces, isIasEcc() ? 1 : 2);
    ASSERT_GE(fcp.size(), 2u);
    EXPECT_EQ(fcp[0], 0x62);
    EXPECT_EQ(fcp.size(), fcp[1] + 2u);
    // The IAS sample hands out 16 bytes per 61xx, the IAS ECC sample all at once.
    EXPECT_EQ(announced, isIasEcc() ? fcp.size() : 16u);
    EXPECT_EQ(swOf(c.send("00C0000010")), 0x6985); // all taken
    if (!c.t0()) {
        // With Le under T=1 the FCP comes at once.
        r = c.send("00A40204022F0000");
        EXPECT_EQ(swOf(r), 0x9000);
        EXPECT_EQ(dataOf(r), fcp);
    }
}

TEST_F(Bench, PinCountersBlockingAndUnblocking) {
    ASSERT_EQ(runCtl("restart"), 0); // fresh counters
    ASSERT_EQ(c.fresh(), SCARD_S_SUCCESS);
    runSteps(c, {
                    {"00200081", 0x63C3},
                    {"002000810430303030", 0x63C2},
                    {"002000810430303030", 0x63C1},
                    {"002000810430303030", 0x63C0},
                    {"002000810430303030", 0x6983},
                    {"002000810431323334", 0x6983}, // right value, still blocked
                    {"00200081", 0x6983},
                    {"002C01810838373635343332 31", 0x63C9}, // wrong PUK
                    {"002C0181083132333435363738", 0x9000},  // PUK only: unblock
                    {"00200081", 0x63C3},
                    {"002000810431323334", 0x9000},
                    {"00200081", 0x9000},
                    {"0024008108313233343433323 1", 0x9000}, // 1234 -> 4321
                    {"002000810431323334", 0x63C2},
                    {"002000810434333231", 0x9000},
                    {"00240181063535353535", 0x6700}, // Lc disagrees with data
                    {"002401810435353535", 0x9000},   // verified: new PIN only
                    {"002C0281043131313131", 0x6982}, // PUK not verified
                    {"00200083083132333435363738", 0x9000},
                    {"002C028104313131 31", 0x9000}, // PUK verified: set 1111
                    {"002000810431313131", 0x9000},
                    {"002C00810E31323334353637383232323232", 0x6700}, // Lc wrong
                    {"002C00810C313233343536373832323232", 0x9000},   // PUK + 2222
                    {"002000810432323232", 0x9000},
                    {"00200099", 0x6A88},
                    {"00200181", 0x6A86},
                });
    // A reset forgets what was verified.
    ASSERT_EQ(c.reconnect(SCARD_RESET_CARD), SCARD_S_SUCCESS);
    runSteps(c, {{"00200081", 0x63C3}, {"002C028104 33333333", 0x6982}});
    ASSERT_EQ(runCtl("restart"), 0);
}

TEST_F(Bench, CommandChaining) {
    ASSERT_EQ(runCtl("restart"), 0);
    ASSERT_EQ(c.fresh(), SCARD_S_SUCCESS);
    runSteps(c, {
                    {"10200081023132", 0x9000}, // first piece: accepted, held
                    {"00200081023334", 0x9000}, // last piece: 1234 verified
                    {"00200081", 0x9000},
                    {"10200081023132", 0x9000},
                    {"00240081023334", 0x6883}, // another command breaks the chain
                    {"00200081", 0x9000},       // nothing was counted
                    {"10200081023132", 0x9000},
                    {"00200081023335", 0x63C2}, // 1235 is wrong
                });
}

TEST_F(Bench, WarmResetReturnsToMasterFile) {
    ASSERT_EQ(swOf(c.send(c.apdu("00A4080C", hex("50155031"), 0))), 0x9000);
    ASSERT_EQ(swOf(c.send("00B0000004")), 0x9000);
    ASSERT_EQ(c.reconnect(SCARD_RESET_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(swOf(c.send("00B0000004")), 0x6986);                       // no current EF
    EXPECT_EQ(swOf(c.send(c.apdu("00A4020C", hex("5031"), 0))), 0x6A82); // not under the MF
    EXPECT_EQ(swOf(c.send(c.apdu("00A4020C", hex("2F00"), 0))), 0x9000);
}

TEST_F(Bench, ResetByAnotherClientIsReported) {
    ASSERT_EQ(swOf(c.send(c.apdu("00A4020C", hex("2F00"), 0))), 0x9000);
    {
        Client other;
        ASSERT_EQ(other.connect(), SCARD_S_SUCCESS);
        ASSERT_EQ(other.reconnect(SCARD_RESET_CARD), SCARD_S_SUCCESS);
    }
    Bytes r;
    EXPECT_EQ(c.raw(hex("00B0000004"), r), static_cast<LONG>(SCARD_W_RESET_CARD));
    ASSERT_EQ(c.reconnect(SCARD_LEAVE_CARD), SCARD_S_SUCCESS);
    EXPECT_EQ(swOf(c.send("00B0000004")), 0x6986); // the reset lost the selection
}

TEST_F(Bench, TraceRecordsEveryExchange) {
    std::string trace = env("IAS_VCARD_TRACE");
    ASSERT_FALSE(trace.empty());
    c.send("00A4020C022F01");
    c.send("00B0000002");
    std::ifstream in(trace);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        lines.push_back(l);
    }
    ASSERT_GE(lines.size(), 4u);
    std::size_t n = lines.size();
    EXPECT_EQ(lines[n - 4], "> 00A4020C022F01");
    EXPECT_EQ(lines[n - 3], "< 9000");
    EXPECT_EQ(lines[n - 2], "> 00B0000002");
    EXPECT_EQ(lines[n - 1], "< 43019000");
}

TEST_F(Bench, RemovalIsSeenAsAbsentCard) {
    ASSERT_EQ(swOf(c.send(c.apdu("00A4020C", hex("2F00"), 0))), 0x9000);
    ASSERT_EQ(runCtl("stop"), 0);
    Bytes r;
    LONG rc = c.raw(hex("00B0000004"), r);
    EXPECT_TRUE(rc == static_cast<LONG>(SCARD_W_REMOVED_CARD) ||
                rc == static_cast<LONG>(SCARD_E_NO_SMARTCARD))
        << std::hex << rc;
    SCARD_READERSTATE rs{};
    std::string reader = env("IAS_TEST_READER");
    rs.szReader = reader.c_str();
    rs.dwCurrentState = SCARD_STATE_UNAWARE;
    ASSERT_EQ(SCardGetStatusChange(c.ctx_, 0, &rs, 1), SCARD_S_SUCCESS);
    EXPECT_TRUE(rs.dwEventState & SCARD_STATE_EMPTY);
    Client late;
    EXPECT_EQ(late.connect(), static_cast<LONG>(SCARD_E_NO_SMARTCARD));
    // Back in for whatever runs next.
    ASSERT_EQ(runCtl("start"), 0);
    Client again;
    EXPECT_EQ(again.connect(), SCARD_S_SUCCESS);
}

} // namespace
