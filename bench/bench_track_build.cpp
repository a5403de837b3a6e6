// BuildTracks over one million fixes without geocoding: a drive every few
// hundred fixes, one fix a second, as a logger records a working day.
#include <benchmark/benchmark.h>

#include "core/TrackBuilder.h"

namespace {

ml::FixList MakeFixes(size_t count) {
    ml::FixList fixes;
    fixes.reserve(count);
    int32_t time = 1367881559;
    float lat = 37.5f, lon = 127.0f;
    for (size_t i = 0; i < count; ++i) {
        time += (i % 500 == 499) ? 3600 : 1;  // a new drive every 500 fixes
        lat += 0.00001f;
        lon += 0.00001f;
        ml::FixRecord f;
        f.time = time;
        f.latitude = lat;
        f.longitude = lon;
        f.height = 30.0f;
        fixes.push_back(f);
    }
    return fixes;
}

void BM_BuildTracks(benchmark::State& state) {
    ml::FixList fixes = MakeFixes(static_cast<size_t>(state.range(0)));
    long progressCalls = 0;
    ml::TrackBuildOptions options;
    options.cutSeconds = 60;
    // A progress callback that does what a throttled caller does: count.
    options.progress = [&](int, long) { ++progressCalls; };
    for (auto _ : state) {
        ml::TrackList tracks;
        ml::BuildTracks(fixes, tracks, options);
        benchmark::DoNotOptimize(tracks.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.counters["fixes_per_second"] =
        benchmark::Counter(static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BuildTracks)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
