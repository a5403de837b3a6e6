// Loading and saving a large track file: 10,000 tracks of 1,000 fixes each
// (160 MB), with Korean texts and addresses as the program writes them.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "store/TrackFile.h"
#include "store/platform/Cp949Codec.h"
#include "store/platform/TrackFileStore.h"

namespace {

constexpr int kTracks = 10000;
constexpr int kFixes = 1000;

const ml::TrackList& Tracks() {
    static const ml::TrackList tracks = [] {
        ml::TrackList list;
        list.reserve(kTracks);
        for (int t = 0; t < kTracks; ++t) {
            ml::TrackRecord track;
            track.name = "Track2024/05/01_08:30";
            track.use = "일반업무용";
            track.purpose = "거래처 방문";
            track.durationText = "0시간 31분 47초";
            track.distanceText = "12.204 Km";
            track.startTimeText = "2024-05-01_08:30:00";
            track.endTimeText = "2024-05-01_09:01:47";
            track.startPositionText = "위도:37.566500 경도:126.978000";
            track.endPositionText = "위도:37.570000 경도:126.990000";
            track.startAddress = "대한민국 서울특별시 중구 세종대로 110";
            track.endAddress = "대한민국 서울특별시 종로구 사직로 161";
            track.selected = 1;
            track.fixes.resize(kFixes);
            for (int f = 0; f < kFixes; ++f) {
                track.fixes[static_cast<size_t>(f)].latitude = 37.5f + 0.0001f * static_cast<float>(f);
                track.fixes[static_cast<size_t>(f)].longitude = 126.9f + 0.0001f * static_cast<float>(f);
            }
            list.push_back(std::move(track));
        }
        return list;
    }();
    return tracks;
}

const std::vector<uint8_t>& FileBytes() {
    static const std::vector<uint8_t> bytes =
        ml::EncodeTrackFile(ml::SettingBlock{}, Tracks(), false, ml::Cp949Codec::Instance());
    return bytes;
}

void BM_DecodeTrackFile(benchmark::State& state) {
    const auto& bytes = FileBytes();
    for (auto _ : state) {
        auto contents = ml::DecodeTrackFile(bytes, ml::Cp949Codec::Instance());
        benchmark::DoNotOptimize(contents.tracks.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_DecodeTrackFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadTrackFileFromDisk(benchmark::State& state) {
    const std::string path = "/tmp/bench_track_file_" + std::to_string(getpid()) + ".dat";
    if (!ml::SaveTrackFile(path, ml::Settings{}, Tracks(), false).ok) {
        state.SkipWithError("cannot write the file");
        return;
    }
    for (auto _ : state) {
        auto load = ml::LoadTrackFile(path);
        if (!load.ok || load.contents.tracks.size() != kTracks) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(load.contents.tracks.data());
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadTrackFileFromDisk)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_EncodeTrackFile(benchmark::State& state) {
    for (auto _ : state) {
        auto bytes = ml::EncodeTrackFile(ml::SettingBlock{}, Tracks(), false, ml::Cp949Codec::Instance());
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_EncodeTrackFile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
