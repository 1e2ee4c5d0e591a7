// Decoding throughput of the card-data decoders, in bytes of input per second.
#include "Asn1/CBerTlv.h"
#include "Asn1/CDerOctet.h"
#include "Asn1/CISOSequence.h"
#include "Fci/CFileControlParameters.h"
#include "Zaz/ByteVector.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// FCP templates as real IAS-ECC and other cards return them.
const char* const kFcps[] = {
    "6F 19 80 02 02 ED 82 01 01 83 02 B0 01 88 00 8C 07 7B 17 17 17 17 17 00 8A 01 05",
    "62 1B 80 02 05 DC 82 01 01 83 02 B0 01 88 00 A1 09 8C 07 7B 17 FF 17 17 17 00 8A 01 05",
    "6F 17 62 15 80 02 00 7D 82 01 01 8C 02 01 00 83 02 2F 00 88 01 F0 8A 01 05",
    "62 25 80 02 00 65 82 01 01 83 02 2F 00 88 01 F0 A1 12 8C 07 7B 45 FF FF FF 45 00 9C 07 7B "
    "FF FF FF FF FF 00 8A 01 05",
    "6F 25 81 02 7F FF 82 01 38 83 02 50 15 86 03 11 1F FF 85 02 00 02 8A 01 07 84 0C A0 00 00 "
    "00 63 50 4B 43 53 2D 31 35",
};

ZAZ::ByteVector fcpStream(std::vector<ZAZ::ByteVector>& templates) {
    ZAZ::ByteVector stream(4096);
    for (std::size_t i = 0;; ++i) {
        const ZAZ::ByteVector fcp(kFcps[i % 5]);
        if (stream.size() + fcp.size() > 4096) {
            break;
        }
        stream.append(fcp);
        templates.push_back(fcp);
    }
    return stream;
}

void BM_FcpStreamSplitAndDecode(benchmark::State& state) {
    std::vector<ZAZ::ByteVector> templates;
    const ZAZ::ByteVector stream = fcpStream(templates);
    for (auto _ : state) {
        std::size_t descriptors = 0;
        for (const IAS::CBerTlv& element : IAS::CBerTlv::parseList(stream)) {
            const IAS::CFileControlParameters fcp(element.encode());
            descriptors += fcp.descriptor();
        }
        benchmark::DoNotOptimize(descriptors);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * stream.size());
}
BENCHMARK(BM_FcpStreamSplitAndDecode);

void BM_FcpDecodeOnly(benchmark::State& state) {
    std::vector<ZAZ::ByteVector> templates;
    const ZAZ::ByteVector stream = fcpStream(templates);
    for (auto _ : state) {
        std::size_t sizes = 0;
        for (const ZAZ::ByteVector& bytes : templates) {
            sizes += IAS::CFileControlParameters(bytes).size();
        }
        benchmark::DoNotOptimize(sizes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * stream.size());
}
BENCHMARK(BM_FcpDecodeOnly);

// A private RSA key CIO: common attributes, key attributes, [1] { path, modulus length }.
const char* const kCio = "30 37 30 14 0C 0B 50 72 69 76 61 74 65 20 6B 65 79 03 02 06 40 04 01 01 "
                         "30 0D 04 01 45 03 02 02 74 01 01 FF 02 01 01 A1 10 30 0E 30 08 04 06 3F "
                         "00 50 15 4B 01 02 02 08 00";

ZAZ::ByteVector cioDirectory() {
    const ZAZ::ByteVector cio(kCio);
    ZAZ::ByteVector body(16384);
    while (body.size() + cio.size() <= 16384 - 4) {
        body.append(cio);
    }
    ZAZ::ByteVector out(16384);
    out.appendByte(0x30);
    out.appendByte(0x82);
    out.appendU16(static_cast<std::uint16_t>(body.size()));
    out.append(body);
    return out;
}

void expandAll(const IASSCU::CDerOctet& e) {
    if (e.isConstructed()) {
        for (const IASSCU::CDerOctet* child : e.children()) {
            expandAll(*child);
        }
    }
}

void touchAll(IASSCU::CDerOctet& e) {
    e.setTag(e.tagClass(), e.tagNumber());
    if (e.isConstructed()) {
        for (IASSCU::CDerOctet* child : e.children()) {
            touchAll(*child);
        }
    }
}

void BM_DerExpandAndReencode(benchmark::State& state) {
    const ZAZ::ByteVector bytes = cioDirectory();
    for (auto _ : state) {
        IASSCU::CDerOctet root(bytes);
        expandAll(root);
        benchmark::DoNotOptimize(root.encoding().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}
BENCHMARK(BM_DerExpandAndReencode);

void BM_DerExpandAndRebuildAll(benchmark::State& state) {
    const ZAZ::ByteVector bytes = cioDirectory();
    for (auto _ : state) {
        IASSCU::CDerOctet root(bytes);
        touchAll(root);
        benchmark::DoNotOptimize(root.encoding().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}
BENCHMARK(BM_DerExpandAndRebuildAll);

void BM_DerMatchCioFrames(benchmark::State& state) {
    const ZAZ::ByteVector bytes = cioDirectory();
    for (auto _ : state) {
        const IASSCU::CDerOctet root(bytes);
        std::size_t present = 0;
        for (const IASSCU::CDerOctet* child : root.children()) {
            const IASSCU::CISOSequence<IASSCU::CioObject> frame(*child);
            const IASSCU::CISOSequence<IASSCU::CommonKeyAttributes> key(
                frame.member("classAttributes"));
            present += key.isPresent("keyReference") ? 1 : 0;
        }
        benchmark::DoNotOptimize(present);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}
BENCHMARK(BM_DerMatchCioFrames);

} // namespace

BENCHMARK_MAIN();
