// APDU economy of the token layer's CIA walk: EF.DIR, the application it
// names, EF.OD and EF.CIAInfo below it, then every directory file EF.OD names
// with all its objects. The walk gives no hook between files, so the whole
// walk's SELECTs and READ BINARYs in the card's trace (IAS_VCARD_TRACE) are
// held against the sum of each file's least: one FCP-bearing SELECT per file
// plus one for each change of starting directory, and ceil(size / 231) READ
// BINARYs. Exits non-zero when either total is above it or the walk met a
// problem.
#include "BenchCard.h"
#include "CiaViews.h"

#include "token/PathText.h"
#include "token/Token.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

token::Token g_first; // the first round's walk, for the counts
std::pair<int, int> g_counts;
bool g_counted = false;

/// Commands in the trace so far: {SELECT, READ BINARY}.
std::pair<int, int> TraceCounts() {
    std::ifstream in(Env("IAS_VCARD_TRACE"));
    int selects = 0;
    int reads = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("> ", 0) != 0 || line.size() < 6) {
            continue;
        }
        const std::string ins = line.substr(4, 2);
        selects += ins == "A4" ? 1 : 0;
        reads += ins == "B0" || ins == "B1" ? 1 : 0;
    }
    return {selects, reads};
}

std::size_t Fold(const token::CioEntry& e) {
    if (const auto* k = e.as<ias::CCioPrivateKey>()) {
        return ciaviews::Fold(*k);
    }
    if (const auto* k = e.as<ias::CCioPublicKey>()) {
        return ciaviews::Fold(*k);
    }
    if (const auto* c = e.as<ias::CCioCertificate>()) {
        return ciaviews::Fold(*c);
    }
    if (const auto* d = e.as<ias::CCioDataContainer>()) {
        return ciaviews::Fold(*d);
    }
    if (const auto* a = e.as<ias::CCioAuthentication>()) {
        return ciaviews::Fold(*a);
    }
    return e.der.size(); // a kind the library does not decode
}

void ReadWholeCia(benchmark::State& state) {
    BenchCard bench;
    if (!bench.connected) {
        state.SkipWithError("no card in IAS_TEST_READER");
        return;
    }
    std::size_t folded = 0;
    for (auto _ : state) {
        bench.card.reset(); // an empty selection cache for every round
        const std::pair<int, int> before = g_counted ? g_counts : TraceCounts();
        token::Token t = token::Token::read(bench.card);
        if (const ias::CCiaInfoFile* info = t.ciaInfo()) {
            folded += ciaviews::Fold(*info);
        }
        for (const token::CioEntry& e : t.entries()) {
            folded += Fold(e);
        }
        if (!g_counted) {
            const std::pair<int, int> after = TraceCounts();
            g_counts = {after.first - before.first, after.second - before.second};
            g_first = std::move(t);
            g_counted = true;
        }
    }
    benchmark::DoNotOptimize(folded);
    state.counters["files"] = static_cast<double>(g_first.files().size() + 3);
}

} // namespace

// Real time decides the rounds: the card, not this process, takes the time.
BENCHMARK(ReadWholeCia)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!g_counted) {
        return 1;
    }
    for (const token::Problem& p : g_first.problems()) {
        std::printf("problem: %s %s: %s\n", p.file.c_str(), token::Problem::stageName(p.stage),
                    p.message.c_str());
    }
    // Files in the order the walk read them; one EF.OD names twice is read once.
    std::vector<const token::FileRead*> files = {&g_first.directory(), &g_first.objectDirectory(),
                                                 &g_first.ciaInfoFile()};
    for (const token::FileRead& f : g_first.files()) {
        bool again = false;
        for (const token::FileRead* seen : files) {
            again = again || seen->path == f.path;
        }
        if (!again) {
            files.push_back(&f);
        }
    }
    std::printf("%-34s %6s %13s %18s\n", "file", "size", "least SELECT", "least READ BINARY");
    int minSelects = 0;
    int minReads = 0;
    std::string current; // the MF is current after the reset
    for (const token::FileRead* f : files) {
        // The directory a file is selected from: its AID, or its path minus
        // the file identifier.
        const std::string efid = token::Hex(f->path.efidOrPath());
        std::string dir = token::Hex(f->path.aid()) + "/" + efid.substr(0, efid.size() - 4);
        if (dir == "/" || dir == "/3F00") {
            dir.clear();
        }
        const int selects = dir == current ? 1 : 2;
        const int reads = static_cast<int>((f->size + 230) / 231);
        current = dir;
        minSelects += selects;
        minReads += reads;
        std::printf("%-34s %6u %13d %18d\n", token::PathText(f->path).c_str(), f->size, selects,
                    reads);
    }
    const bool least =
        g_first.complete() && g_counts.first <= minSelects && g_counts.second <= minReads;
    std::printf("%-34s %6s %13d %18d\n%-34s %6s %13d %18d%s\n", "least, whole walk", "", minSelects,
                minReads, "sent, whole walk", "", g_counts.first, g_counts.second,
                least ? "" : "  above the least");
    return least ? 0 : 1;
}
