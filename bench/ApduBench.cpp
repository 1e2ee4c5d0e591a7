// What the library adds to one APDU: CIASCard::sendAPDU against a plain
// SCardTransmit loop, 2000 APDUs each, on the card in IAS_TEST_READER.
#include "Alternating.h"
#include "BenchCard.h"

#include <benchmark/benchmark.h>
#include <winscard.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kApdus = 2000;
// READ BINARY of 16 bytes of EF.DIR by its short identifier.
const unsigned char kCommand[] = {0x00, 0xB0, 0x9E, 0x00, 0x10};

void RawTransmit(benchmark::State& state) {
    SCARDCONTEXT context = 0;
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    if (SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context) != SCARD_S_SUCCESS ||
        SCardConnect(context, Env("IAS_TEST_READER").c_str(), SCARD_SHARE_SHARED,
                     SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol) != SCARD_S_SUCCESS) {
        state.SkipWithError("no card in IAS_TEST_READER");
        return;
    }
    const SCARD_IO_REQUEST* pci = protocol == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
    for (auto _ : state) {
        for (int i = 0; i < kApdus; ++i) {
            unsigned char response[258];
            DWORD length = sizeof response;
            if (SCardTransmit(card, pci, kCommand, sizeof kCommand, nullptr, response, &length) !=
                    SCARD_S_SUCCESS ||
                length != 18) {
                state.SkipWithError("SCardTransmit failed");
                break;
            }
        }
    }
    SCardDisconnect(card, SCARD_LEAVE_CARD);
    SCardReleaseContext(context);
}

void LibrarySendApdu(benchmark::State& state) {
    BenchCard bench;
    if (!bench.connected) {
        state.SkipWithError("no card in IAS_TEST_READER");
        return;
    }
    ias::CIASCard& card = bench.card;
    const ias::CBlob empty;
    ias::CBlob response;
    unsigned short sw = 0;
    for (auto _ : state) {
        for (int i = 0; i < kApdus; ++i) {
            card.sendAPDU(kCommand[0], kCommand[1], kCommand[2], kCommand[3], empty, kCommand[4],
                          response, sw);
            if (sw != 0x9000) {
                state.SkipWithError("unexpected status word");
                break;
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const alternating::Result r =
        alternating::Run(argc, argv, "SCardTransmit_x2000", RawTransmit, "CIASCard_sendAPDU_x2000",
                         LibrarySendApdu, "apdus_per_s", kApdus);
    if (r.first > 0 && r.second > 0) {
        std::printf("per APDU (median of %zu rounds): SCardTransmit %.1f us, sendAPDU %.1f us, "
                    "library overhead %+.1f %% (goal < 5 %%)\n",
                    r.rounds, r.first * 1e6 / kApdus, r.second * 1e6 / kApdus,
                    (r.second / r.first - 1) * 100);
    }
    return 0;
}
