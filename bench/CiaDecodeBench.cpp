// Decoding a whole sample card's CIA from bytes through the public readers:
// EF.DIR, EF.OD, EF.CIAInfo and every directory file EF.OD names, with every
// object and every public view built. Time per card, and bytes per second on
// each directory file (load and objects() with all views).
#include "CiaViews.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

ias::CBlob ReadCardFile(const std::string& name) {
    std::ifstream in(std::string(IAS_CARDS_DIR) + "/sample-iasecc/" + name, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    ias::CBlob blob; // built in pieces: a blob made in one go holds at most 767 bytes
    for (std::size_t at = 0; at < bytes.size(); at += 512) {
        blob += ias::CBlob(bytes.substr(at, 512));
    }
    return blob;
}

// The sample card's directory files by the EF.OD choice that names them.
const std::map<int, std::string> kDirectoryFiles = {
    {ias::CObjectDirectoryFile::PrivateKeys, "prkdf.der"},
    {ias::CObjectDirectoryFile::PublicKeys, "pukdf.der"},
    {ias::CObjectDirectoryFile::Certificates, "cdf.der"},
    {ias::CObjectDirectoryFile::DataContainerObjects, "dodf.der"},
    {ias::CObjectDirectoryFile::AuthObjects, "aodf.der"},
};

struct CardBytes {
    ias::CBlob dir = ReadCardFile("ef-dir.bin");
    ias::CBlob od = ReadCardFile("od.der");
    ias::CBlob info = ReadCardFile("ciainfo.der");
    std::map<int, ias::CBlob> directories;
    CardBytes() {
        for (const auto& f : kDirectoryFiles) {
            directories[f.first] = ReadCardFile(f.second);
        }
    }
};

std::size_t DecodeCard(const CardBytes& card) {
    ias::CApplicationDirectoryFile dir;
    dir.load(card.dir);
    ias::CObjectDirectoryFile od;
    od.load(card.od);
    ias::CCiaInfoFile info;
    info.load(card.info);
    std::size_t n = ciaviews::Fold(dir) + ciaviews::Fold(info);
    for (const auto& entry : od.cioFiles()) {
        n += ciaviews::Fold(entry.second) +
             ciaviews::FoldDirectory(
                 entry.first, [&](ias::CCiaFile& f) { f.load(card.directories.at(entry.first)); });
    }
    return n;
}

void BM_SampleCardCia(benchmark::State& state) {
    const CardBytes card;
    std::size_t bytes = card.dir.size() + card.od.size() + card.info.size();
    for (const auto& d : card.directories) {
        bytes += d.second.size();
    }
    if (DecodeCard(card) == 0) {
        state.SkipWithError("nothing decoded");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeCard(card));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["cards/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SampleCardCia)->Unit(benchmark::kMicrosecond);

void BM_DirectoryFile(benchmark::State& state) {
    const int choice = static_cast<int>(state.range(0));
    const ias::CBlob bytes = ReadCardFile(kDirectoryFiles.at(choice));
    state.SetLabel(kDirectoryFiles.at(choice));
    const auto kind = static_cast<ias::CObjectDirectoryFile::CioChoice>(choice);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ciaviews::FoldDirectory(kind, [&](ias::CCiaFile& f) { f.load(bytes); }));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DirectoryFile)
    ->Arg(ias::CObjectDirectoryFile::PrivateKeys)
    ->Arg(ias::CObjectDirectoryFile::PublicKeys)
    ->Arg(ias::CObjectDirectoryFile::Certificates)
    ->Arg(ias::CObjectDirectoryFile::DataContainerObjects)
    ->Arg(ias::CObjectDirectoryFile::AuthObjects)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
