// APDU economy of file access: read EF.DIR, EF.OD and every file EF.OD
// names through the handle's CCiaCard, then count from the card's trace
// (IAS_VCARD_TRACE) the SELECTs and READ BINARYs against the least needed:
// one SELECT per file plus one for each change of starting directory, and
// ceil(size / 231) READ BINARYs per file.
#include "BenchCard.h"

#include "Api/CIASCardImpl.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const char* const kAid = "A000000063504B43532D3135";

struct Counts {
    int selects = 0;
    int reads = 0;
    int minSelects = 0;
    int minReads = 0;
    int files = 0;
    long bytes = 0;
};

Counts g_first;
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

/// The file size from tag 80 of an FCP template (62 L 80 02 hi lo ...).
int FcpSize(const ZAZ::ByteVector& fcp) {
    for (int i = 2; i + 3 < fcp.size(); ++i) {
        if (fcp[i] == 0x80 && fcp[i + 1] == 0x02) {
            return fcp[i + 2] << 8 | fcp[i + 3];
        }
    }
    return -1;
}

/// The paths in EF.OD: each entry holds SEQUENCE { OCTET STRING path }.
std::vector<ZAZ::ByteVector> OdPaths(const ZAZ::ByteVector& od) {
    std::vector<ZAZ::ByteVector> paths;
    for (int i = 0; i + 6 < od.size();) {
        if ((od[i] & 0xE0) != 0xA0) {
            break; // end of the entries (padding)
        }
        const int length = od[i + 1];
        if (od[i + 2] == 0x30 && od[i + 4] == 0x04) {
            paths.push_back(od.substr(i + 6, od[i + 5]));
        }
        i += 2 + length;
    }
    return paths;
}

class Reader {
public:
    explicit Reader(IAS::CCiaCard& cia) : m_cia(cia) {}

    ZAZ::ByteVector Read(const ZAZ::ByteVector& aid, const ZAZ::ByteVector& path) {
        const bool absolute = path.size() >= 2 && path[0] == 0x3F && path[1] == 0x00;
        const std::string dir =
            (absolute ? std::string() : aid.toString()) + "/" +
            path.substr(absolute ? 2 : 0, path.size() - (absolute ? 4 : 2)).toString();
        // The MF is current after the reset: its children need no directory SELECT.
        const bool sameDirectory = dir == m_directory || (m_first && dir == "/");
        m_counts.minSelects += sameDirectory ? 1 : 2;
        m_directory = dir;
        m_first = false;

        ZAZ::ByteVector fcp;
        m_cia.selectFileRaw(aid, path, &fcp);
        const int size = FcpSize(fcp);
        ZAZ::ByteVector content = m_cia.readBinary(0, 0, size);
        m_counts.minReads += (size + 230) / 231;
        m_counts.bytes += size;
        ++m_counts.files;
        return content;
    }
    const Counts& counts() const { return m_counts; }

private:
    IAS::CCiaCard& m_cia;
    std::string m_directory;
    bool m_first = true;
    Counts m_counts;
};

void ReadWholeCia(benchmark::State& state) {
    BenchCard bench;
    if (!bench.connected) {
        state.SkipWithError("no card in IAS_TEST_READER");
        return;
    }
    ias::CIASCard& card = bench.card;
    IAS::CCiaCard& cia = ias::CIASCardAccess::impl(card).card;
    for (auto _ : state) {
        card.reset(); // an empty selection cache for every round
        const std::pair<int, int> before = TraceCounts();
        Reader r(cia);
        r.Read(ZAZ::ByteVector(), ZAZ::ByteVector("2F00"));
        const ZAZ::ByteVector od = r.Read(ZAZ::ByteVector(kAid), ZAZ::ByteVector("5031"));
        for (const ZAZ::ByteVector& path : OdPaths(od)) {
            r.Read(ZAZ::ByteVector(kAid), path);
        }
        if (!g_counted) {
            const std::pair<int, int> after = TraceCounts();
            g_first = r.counts();
            g_first.selects = after.first - before.first;
            g_first.reads = after.second - before.second;
            g_counted = true;
        }
    }
    state.counters["files"] = g_first.files;
    state.counters["bytes"] = static_cast<double>(g_first.bytes);
}

} // namespace

BENCHMARK(ReadWholeCia)->Unit(benchmark::kMillisecond)->MinTime(1.0);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!g_counted) {
        return 1;
    }
    std::printf("CIA read: %d files, %ld bytes; SELECT %d (least %d), READ BINARY %d (least %d)\n",
                g_first.files, g_first.bytes, g_first.selects, g_first.minSelects, g_first.reads,
                g_first.minReads);
    return g_first.selects == g_first.minSelects && g_first.reads == g_first.minReads ? 0 : 1;
}
