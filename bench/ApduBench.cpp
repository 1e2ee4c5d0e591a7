// What the library adds to one APDU: CIASCard::sendAPDU against a plain
// SCardTransmit loop, 2000 APDUs each, on the card in IAS_TEST_READER.
#include "BenchCard.h"

#include <benchmark/benchmark.h>
#include <winscard.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kApdus = 2000;
// READ BINARY of 16 bytes of EF.DIR by its short identifier.
const unsigned char kCommand[] = {0x00, 0xB0, 0x9E, 0x00, 0x10};

std::vector<double> g_raw;
std::vector<double> g_library;

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

// Alternating the two loops spreads any drift of pcscd or the card over both.
void Run(benchmark::State& state) {
    const auto start = std::chrono::steady_clock::now();
    if (state.range(0) == 0) {
        RawTransmit(state);
    } else {
        LibrarySendApdu(state);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    (state.range(0) == 0 ? g_raw : g_library).push_back(seconds);
    state.counters["us_per_apdu"] = seconds * 1e6 / kApdus;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    for (int round = 0; round < 5; ++round) {
        benchmark::RegisterBenchmark("SCardTransmit_x2000", Run)
            ->Arg(0)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("CIASCard_sendAPDU_x2000", Run)
            ->Arg(1)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double raw = Median(g_raw);
    const double library = Median(g_library);
    if (raw > 0 && library > 0) {
        std::printf("per APDU (median of %zu rounds): SCardTransmit %.1f us, sendAPDU %.1f us, "
                    "library overhead %+.1f %% (goal < 5 %%)\n",
                    g_raw.size(), raw * 1e6 / kApdus, library * 1e6 / kApdus,
                    (library / raw - 1) * 100);
    }
    return 0;
}
