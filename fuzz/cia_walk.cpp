// The whole CIA walk and ias-tool's renderers (dump as text and as JSON, the
// four list-* as text and one of them as JSON, read-cert of up to three
// certificates, read-data of up to two data objects) over a card whose files
// come from the input.
// The program plays pcsc-lite with one reader holding an in-process virtual
// card: its SCard* functions are exported, so libias.so and token::Connection
// reach them instead of libpcsclite's.
//
// Input: records, each one selector byte, a two-byte big-endian length and
// that many bytes (fewer when the input ends first). The selector, modulo the
// number of files in kFiles, names the file; a later record for the same file
// replaces the earlier one. A file no record gives is not on the card (SELECT
// answers 6A82). The DFs 3F00, 5015 (the CIA application) and 5015/5100 are
// always there. The content is the file exactly: the size the card reports is
// the record's length.
//
// Everything the commands throw is caught where ias-tool's main catches it;
// what main reports as an internal error (any other exception) is left to
// escape, so it ends the run as a finding.
#include "Tool.h"

#include "card.h"
#include "token/CioKinds.h"

#include <winscard.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <streambuf>

namespace {

struct FileSpec {
    std::uint16_t fid;
    bool inMf; // else in DF 5015
    const char* securityAttributes;
};

// Selector = index here. Kept in this order: the seeds name files by index.
const FileSpec kFiles[] = {
    {0x2F00, true, "01 00"},
    {0x2F01, true, "01 00"},
    {0x5031, false, "7B FF FF FF FF FF 00"},
    {0x5032, false, "7B FF FF FF FF FF 00"},
    {0x4401, false, "7B FF FF FF FF 12 00"},
    {0x4402, false, "7B FF FF FF FF 12 00"},
    {0x4403, false, "7B FF FF FF FF 12 00"},
    {0x4404, false, "7B FF FF FF FF 12 00"},
    {0x4405, false, "7B FF FF FF FF 12 00"},
    {0x4406, false, "7B FF FF FF FF 12 00"},
    {0x4407, false, "7B FF FF FF FF 12 00"},
    {0x4408, false, "7B FF FF FF FF 12 00"},
    {0x3401, false, "7B FF FF FF FF 12 00"},
    {0x3402, false, "7B FF FF FF FF 12 00"},
    {0x3410, false, "7B FF FF FF FF 12 00"},
    {0x4574, false, "7B FF FF FF FF 12 00"},
    {0x4601, false, "7B FF FF FF FF 12 00"},
    {0x4610, false, "7B FF FF FF FF 12 00"},
    {0x4B01, false, "7B FF FF FF FF 12 00"},
};
constexpr std::size_t kFileCount = sizeof kFiles / sizeof kFiles[0];

const char kReader[] = "Fuzz Reader 00";
constexpr SCARDCONTEXT kContext = 0x5C01;
constexpr SCARDHANDLE kHandle = 0x5C02;

std::unique_ptr<vcard::VirtualCard> g_card;
unsigned long g_transmits = 0; // proves libias reached these functions

std::unique_ptr<vcard::FileNode> Node(bool df, std::uint16_t fid, const char* sa,
                                      vcard::FileNode* parent) {
    auto n = std::make_unique<vcard::FileNode>();
    n->isDf = df;
    n->fid = fid;
    n->securityAttributes = vcard::fromHex(sa);
    n->parent = parent;
    return n;
}

vcard::CardConfig CardFrom(const std::uint8_t* data, std::size_t size) {
    std::optional<vcard::Bytes> contents[kFileCount];
    for (std::size_t at = 0; at + 3 <= size;) {
        const std::size_t which = data[at] % kFileCount;
        const std::size_t n =
            std::min<std::size_t>((data[at + 1] << 8) | data[at + 2], size - at - 3);
        contents[which] = vcard::Bytes(data + at + 3, data + at + 3 + n);
        at += 3 + n;
    }
    vcard::CardConfig c;
    c.atr = vcard::fromHex("3B DD 18 00 81 31 FE 45 80 F9 A0 00 00 00 77 01 08 00 07 90 00 FE");
    c.pins = {{0x81, {'1', '2', '3', '4'}, 3, 3, 0x83, 4, 8},
              {0x82, {'1', '2', '3', '4', '5', '6'}, 3, 3, 0x83, 6, 8},
              {0x83, {'1', '2', '3', '4', '5', '6', '7', '8'}, 10, 10, std::nullopt, 8, 8}};
    c.mf = Node(true, 0x3F00, "03 FF 00", nullptr);
    c.mf->dfName = vcard::fromHex("E8 28 BD 08 0F 80 25 00 00 01 FF 00 10");
    auto app = Node(true, 0x5015, "03 FF 00", c.mf.get());
    app->dfName = vcard::fromHex("A0 00 00 00 63 50 4B 43 53 2D 31 35");
    app->proprietaryA5 = vcard::fromHex("80 01 01");
    app->children.push_back(Node(true, 0x5100, "03 FF 00", app.get()));
    for (std::size_t i = 0; i < kFileCount; ++i) {
        if (contents[i]) {
            vcard::FileNode* parent = kFiles[i].inMf ? c.mf.get() : app.get();
            auto ef = Node(false, kFiles[i].fid, kFiles[i].securityAttributes, parent);
            ef->content = std::move(*contents[i]);
            parent->children.push_back(std::move(ef));
        }
    }
    c.mf->children.push_back(std::move(app));
    return c;
}

// One command as ias-tool's main runs it: library and PC/SC exceptions
// become a Failure, and a Failure ends the command with its exit code.
int Command(const tool::Options& options, const std::function<int(tool::Session&)>& command) {
    try {
        try {
            tool::Session session(options);
            return command(session);
        } catch (const ias::CIASException& e) {
            throw tool::Failed("card access", e);
        } catch (const token::PcscError& e) {
            throw tool::FailedPcsc("PC/SC", e);
        }
    } catch (const tool::Failure& f) {
        return f.code;
    } catch (const ias::CIASException& e) {
        return tool::Failed("card access", e).code;
    } catch (const token::PcscError& e) {
        return tool::FailedPcsc("PC/SC", e).code;
    }
}

// The renderers write to std::cout and std::cerr; libFuzzer and the
// sanitizers write to file descriptor 2, which stays open for them.
struct Discard : std::streambuf {
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};
struct Quiet {
    Discard discard;
    // CIA_WALK_SHOW=1 keeps the output, to see what an input renders.
    bool show = std::getenv("CIA_WALK_SHOW") != nullptr;
    std::streambuf* out = show ? std::cout.rdbuf() : std::cout.rdbuf(&discard);
    std::streambuf* err = show ? std::cerr.rdbuf() : std::cerr.rdbuf(&discard);
    ~Quiet() { // the streams are flushed at exit, after this is gone
        std::cout.rdbuf(out);
        std::cerr.rdbuf(err);
    }
} g_quiet;

} // namespace

extern "C" {

LONG SCardEstablishContext(DWORD, LPCVOID, LPCVOID, LPSCARDCONTEXT context) {
    *context = kContext;
    return SCARD_S_SUCCESS;
}

LONG SCardReleaseContext(SCARDCONTEXT) {
    return SCARD_S_SUCCESS;
}

LONG SCardIsValidContext(SCARDCONTEXT context) {
    return context == kContext ? SCARD_S_SUCCESS : SCARD_E_INVALID_HANDLE;
}

LONG SCardListReaders(SCARDCONTEXT, LPCSTR, LPSTR readers, LPDWORD length) {
    const DWORD needed = sizeof kReader + 1; // the list ends with a second NUL
    if (readers != nullptr) {
        if (*length < needed) {
            *length = needed;
            return SCARD_E_INSUFFICIENT_BUFFER;
        }
        std::memcpy(readers, kReader, sizeof kReader);
        readers[sizeof kReader] = '\0';
    }
    *length = needed;
    return SCARD_S_SUCCESS;
}

LONG SCardGetStatusChange(SCARDCONTEXT, DWORD, SCARD_READERSTATE* states, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        SCARD_READERSTATE& s = states[i];
        if (std::strcmp(s.szReader, kReader) != 0) {
            s.dwEventState = SCARD_STATE_UNKNOWN | SCARD_STATE_CHANGED;
            continue;
        }
        s.dwEventState = SCARD_STATE_PRESENT | SCARD_STATE_CHANGED;
        const vcard::Bytes& atr = g_card->atr();
        s.cbAtr = static_cast<DWORD>(std::min(atr.size(), sizeof s.rgbAtr));
        std::memcpy(s.rgbAtr, atr.data(), s.cbAtr);
    }
    return SCARD_S_SUCCESS;
}

LONG SCardConnect(SCARDCONTEXT, LPCSTR reader, DWORD, DWORD, LPSCARDHANDLE card, LPDWORD protocol) {
    if (std::strcmp(reader, kReader) != 0) {
        return SCARD_E_UNKNOWN_READER;
    }
    *card = kHandle;
    *protocol = g_card->protocol() == 1 ? SCARD_PROTOCOL_T1 : SCARD_PROTOCOL_T0;
    return SCARD_S_SUCCESS;
}

LONG SCardReconnect(SCARDHANDLE, DWORD, DWORD, DWORD initialization, LPDWORD protocol) {
    if (initialization != SCARD_LEAVE_CARD) {
        g_card->reset();
    }
    *protocol = g_card->protocol() == 1 ? SCARD_PROTOCOL_T1 : SCARD_PROTOCOL_T0;
    return SCARD_S_SUCCESS;
}

LONG SCardDisconnect(SCARDHANDLE, DWORD disposition) {
    if (disposition == SCARD_RESET_CARD || disposition == SCARD_UNPOWER_CARD) {
        g_card->reset();
    }
    return SCARD_S_SUCCESS;
}

LONG SCardBeginTransaction(SCARDHANDLE) {
    return SCARD_S_SUCCESS;
}

LONG SCardEndTransaction(SCARDHANDLE, DWORD) {
    return SCARD_S_SUCCESS;
}

LONG SCardCancel(SCARDCONTEXT) {
    return SCARD_S_SUCCESS;
}

LONG SCardStatus(SCARDHANDLE, LPSTR name, LPDWORD nameLength, LPDWORD state, LPDWORD protocol,
                 LPBYTE atr, LPDWORD atrLength) {
    const vcard::Bytes& a = g_card->atr();
    if ((name && (!nameLength || *nameLength < sizeof kReader)) ||
        (atr && (!atrLength || *atrLength < a.size()))) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    if (name) {
        std::memcpy(name, kReader, sizeof kReader);
    }
    if (atr) {
        std::memcpy(atr, a.data(), a.size());
    }
    for (auto [p, v] : {std::pair{nameLength, DWORD{sizeof kReader}},
                        {atrLength, static_cast<DWORD>(a.size())},
                        {state, DWORD{SCARD_SPECIFIC}},
                        {protocol, g_card->protocol() == 1 ? DWORD{SCARD_PROTOCOL_T1}
                                                           : DWORD{SCARD_PROTOCOL_T0}}}) {
        if (p) {
            *p = v;
        }
    }
    return SCARD_S_SUCCESS;
}

LONG SCardTransmit(SCARDHANDLE card, const SCARD_IO_REQUEST*, LPCBYTE command, DWORD length,
                   SCARD_IO_REQUEST*, LPBYTE response, LPDWORD responseLength) {
    if (card != kHandle) {
        return SCARD_E_INVALID_HANDLE;
    }
    ++g_transmits;
    const vcard::Bytes answer = g_card->process(vcard::Bytes(command, command + length));
    if (*responseLength < answer.size()) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    std::memcpy(response, answer.data(), answer.size());
    *responseLength = static_cast<DWORD>(answer.size());
    return SCARD_S_SUCCESS;
}

LONG SCardControl(SCARDHANDLE, DWORD, LPCVOID, DWORD, LPVOID, DWORD, LPDWORD) {
    return SCARD_E_UNSUPPORTED_FEATURE;
}

LONG SCardGetAttrib(SCARDHANDLE, DWORD, LPBYTE, LPDWORD) {
    return SCARD_E_UNSUPPORTED_FEATURE;
}

int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    g_card = std::make_unique<vcard::VirtualCard>(CardFrom(data, size));
    g_transmits = 0;
    tool::Options text, json;
    json.json = true;
    std::vector<std::string> certs, objects; // id in hex, else the label
    Command(text, [](tool::Session& s) { return tool::Dump(s); });
    Command(json, [](tool::Session& s) { return tool::Dump(s); });
    // Every walk costs; one list-* in JSON (the input picks which) covers
    // that renderer, whose document the text form builds as well.
    for (int kind = 0; kind < 5; ++kind) {
        Command(kind < 4 ? text : json, [&](tool::Session& s) {
            return tool::List(s, static_cast<tool::ListKind>(kind < 4 ? kind : size % 4));
        });
    }
    Command(text, [&](tool::Session& s) {
        const token::Token t = tool::ReadToken(s);
        for (const token::CioEntry& e : t.entries()) {
            const std::string which =
                e.id.empty() ? std::string(e.label.begin(), e.label.end()) : token::Hex(e.id);
            if (token::CioKinds::holdsCertificates(e.fileChoice) && certs.size() < 3) {
                certs.push_back(which);
            } else if (token::CioKinds::holdsData(e.fileChoice) && objects.size() < 2) {
                objects.push_back(which);
            }
        }
        return 0;
    });
    for (const std::string& which : certs) {
        Command(text, [&](tool::Session& s) { return tool::ReadCert(s, which, false); });
    }
    for (const std::string& which : objects) {
        Command(json, [&](tool::Session& s) { return tool::ReadData(s, which, {}, false); });
    }
    if (g_transmits == 0) {
        std::fputs("cia_walk: no APDU reached the fake PC/SC: libpcsclite's functions were "
                   "called instead of the program's\n",
                   stderr);
        std::abort();
    }
    g_card.reset();
    return 0;
}

} // extern "C"
