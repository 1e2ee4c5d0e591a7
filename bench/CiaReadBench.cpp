// APDU economy of the public CIA readers: EF.DIR, the application it names,
// EF.OD and EF.CIAInfo below it, then every directory file EF.OD names with
// all its objects. For each file, the SELECTs and READ BINARYs in the card's
// trace (IAS_VCARD_TRACE) next to the least the file protocol allows: one
// FCP-bearing SELECT per file plus one for each change of starting directory,
// and ceil(size / 231) READ BINARYs. Exits non-zero when any count is above
// its least.
#include "BenchCard.h"
#include "CiaViews.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct FileCounts {
    std::string name;
    unsigned int size = 0;
    int selects = 0;
    int reads = 0;
    int minSelects = 0;
    int minReads = 0;
};

std::vector<FileCounts> g_files;
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

std::string Hex(const ias::CBlob& b) {
    std::string s;
    char digits[3];
    for (unsigned int i = 0; i < b.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02X", b[i]);
        s += digits;
    }
    return s;
}

ias::CCiaPath PathOf(const ias::CBlob& efidOrPath) {
    ias::CCiaPath p;
    p.setEfidOrPath(efidOrPath);
    return p;
}

/// Counts per file what reading it took: Begin(), then open, load and
/// objects(), then End().
class Walk {
public:
    explicit Walk(bool count) : m_count(count) {}

    void Begin() { m_before = m_count ? TraceCounts() : std::pair<int, int>(); }

    void End(const ias::CCiaPath& path, unsigned int size) {
        if (!m_count) {
            return;
        }
        const std::pair<int, int> after = TraceCounts();
        // The directory a file is selected from: its AID, or its path minus
        // the file identifier. The MF is current after the reset.
        const std::string efid = Hex(path.efidOrPath());
        std::string dir = Hex(path.aid()) + "/" + efid.substr(0, efid.size() - 4);
        if (dir == "/" || dir == "/3F00") {
            dir.clear();
        }
        FileCounts c;
        c.name = (path.aid().size() > 0 ? "AID/" : "") + efid;
        c.size = size;
        c.selects = after.first - m_before.first;
        c.reads = after.second - m_before.second;
        c.minSelects = dir == m_directory ? 1 : 2;
        c.minReads = static_cast<int>((size + 230) / 231);
        m_directory = dir;
        g_files.push_back(c);
    }

    /// Opens and loads `file` at `path`, counted as one file.
    void Read(ias::CCiaFile& file, ias::CIASCard& card, const ias::CCiaPath& path) {
        Begin();
        file.open(card, path);
        file.load();
        End(path, file.size());
    }

private:
    bool m_count;
    std::string m_directory;
    std::pair<int, int> m_before;
};

void ReadWholeCia(benchmark::State& state) {
    BenchCard bench;
    if (!bench.connected) {
        state.SkipWithError("no card in IAS_TEST_READER");
        return;
    }
    ias::CIASCard& card = bench.card;
    // The T=0 sample refuses SELECT MF with P1 00, which absolute paths use:
    // there the application is reached by its AID.
    const bool byAid = Env("IAS_BENCH_BY_AID") == "1";
    std::size_t folded = 0;
    for (auto _ : state) {
        card.reset(); // an empty selection cache for every round
        Walk walk(!g_counted);
        ias::CApplicationDirectoryFile dir;
        walk.Read(dir, card, PathOf(ias::_HB("2F00")));
        const ias::CApplicationTemplate& app = dir.applicationTemplates().at(1);
        ias::CCiaPath appPath = PathOf(app.path());
        if (byAid) {
            appPath = ias::CCiaPath();
            appPath.setAid(app.aid());
        }
        ias::CObjectDirectoryFile od;
        walk.Read(od, card, appPath + PathOf(ias::_HB("5031")));
        ias::CCiaInfoFile info;
        walk.Read(info, card, appPath + PathOf(ias::_HB("5032")));
        folded += ciaviews::Fold(info);
        for (const auto& entry : od.cioFiles()) {
            ias::CCiaPath path = entry.second;
            const std::string efid = Hex(path.efidOrPath());
            const std::string prefix = Hex(app.path());
            if (byAid && efid.compare(0, prefix.size(), prefix) == 0) {
                path = appPath + PathOf(ias::_HB(efid.substr(prefix.size())));
            }
            unsigned int size = 0;
            walk.Begin();
            folded += ciaviews::FoldDirectory(entry.first, [&](ias::CCiaFile& f) {
                f.open(card, path);
                f.load();
                size = f.size();
            });
            walk.End(path, size);
        }
        g_counted = true;
    }
    benchmark::DoNotOptimize(folded);
    state.counters["files"] = static_cast<double>(g_files.size());
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
    bool least = true;
    std::printf("%-18s %6s %8s %7s %12s %7s\n", "file", "size", "SELECT", "least", "READ BINARY",
                "least");
    for (const FileCounts& f : g_files) {
        const bool ok = f.selects <= f.minSelects && f.reads <= f.minReads;
        least = least && ok;
        std::printf("%-18s %6u %8d %7d %12d %7d%s\n", f.name.c_str(), f.size, f.selects,
                    f.minSelects, f.reads, f.minReads, ok ? "" : "  above the least");
    }
    return least ? 0 : 1;
}
