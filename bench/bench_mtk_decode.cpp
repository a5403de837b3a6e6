// Decoding speed of MTK memory images: a full 16 MiB logger memory of
// 0x0000003D records, with and without a progress receiver, and a denser
// format with a satellite block.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "protocol/MtkLogDecoder.h"
#include "tools/imagewriter/MtkImageWriter.h"

namespace {

constexpr size_t kImageBytes = 16u << 20;

std::vector<uint8_t> MakeImage(uint32_t format, size_t satellites) {
    ml::MtkImageWriter writer(format);
    ml::MtkRecordExtras extras;
    extras.satellites.resize(satellites);
    ml::FixRecord fix;
    fix.time = 1'600'000'000;
    fix.latitude = 37.5665f;
    fix.longitude = 126.978f;
    fix.speed = 45.0f;
    fix.height = 38.0f;
    while (writer.sectorCount() * ml::MtkImageWriter::kSectorSize <= kImageBytes) {
        writer.AddFix(fix, extras);
        ++fix.time;
        fix.latitude += 0.00001f;
    }
    std::vector<uint8_t> image = writer.Image();
    image.resize(kImageBytes);  // drop the sector opened by the last record
    return image;
}

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
    static const auto image = MakeImage(0x0000003D, 0);
    Decode(state, image, false);
}

void BM_Decode16MiB_3D_Progress(benchmark::State& state) {
    static const auto image = MakeImage(0x0000003D, 0);
    Decode(state, image, true);
}

void BM_Decode16MiB_Satellites(benchmark::State& state) {
    static const auto image = MakeImage(0x0007FFFF, 8);
    Decode(state, image, true);
}

}  // namespace

BENCHMARK(BM_Decode16MiB_3D)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode16MiB_3D_Progress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode16MiB_Satellites)->Unit(benchmark::kMillisecond);
