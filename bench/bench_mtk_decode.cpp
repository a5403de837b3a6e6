// Decoding speed of MTK memory images: a full 16 MiB logger memory of
// 0x0000003D records, with and without a progress receiver, and a denser
// format with a satellite block.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/BenchImage.h"
#include "protocol/MtkLogDecoder.h"

namespace {

void Decode(benchmark::State& state, const std::vector<uint8_t>& image, bool withProgress) {
    ml::FixList fixes;
    long calls = 0;
    const ml::MtkDecodeProgress progress = [&calls](int, long) { ++calls; };
    for (auto _ : state) {
        fixes.clear();
        const auto summary = ml::DecodeLogImage(image, fixes, withProgress ? progress : ml::MtkDecodeProgress{});
        benchmark::DoNotOptimize(summary.fixesStored);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(image.size()));
    state.counters["fixes"] = static_cast<double>(fixes.size());
}

void BM_Decode16MiB_3D(benchmark::State& state) {
    static const auto image = ml::bench::Make16MiBImage(0x0000003D, 0);
    Decode(state, image, false);
}

void BM_Decode16MiB_3D_Progress(benchmark::State& state) {
    static const auto image = ml::bench::Make16MiBImage(0x0000003D, 0);
    Decode(state, image, true);
}

void BM_Decode16MiB_Satellites(benchmark::State& state) {
    static const auto image = ml::bench::Make16MiBImage(0x0007FFFF, 8);
    Decode(state, image, true);
}

}  // namespace

BENCHMARK(BM_Decode16MiB_3D)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode16MiB_3D_Progress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode16MiB_Satellites)->Unit(benchmark::kMillisecond);
