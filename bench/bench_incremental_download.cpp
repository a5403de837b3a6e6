// The weekly download at the real line rate (the simulator paced at 38400
// baud): a 2 MiB log of which all but the last 64 KiB were read last week,
// against a full read. A full read of 2 MiB takes a quarter of an hour on
// the line, so the full read is measured on a smaller log and scaled by its
// size (the line's time is linear in the bytes; the fixed part, the status
// queries, is small and is scaled too, which favours the full read).
// Reported:
//   full_small_s     the full read of MILELEDGER_BENCH_FULL_BYTES (128 KiB)
//   full_2MiB_s      that time scaled to 2 MiB
//   incremental_s    the weekly read: compared chunk, open sector header, 64 KiB
//   incremental_%    incremental_s as a share of full_2MiB_s (goal: under 10)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "acquire/ReadLogFlow.h"
#include "bench/BenchPacedLogger.h"

namespace {

using namespace ml::bench;

constexpr size_t kLog = 2u << 20;
constexpr size_t kGrowth = 64u << 10;

// What last week's download left known.
struct KnownPrefix : ml::LoggerMemoryBook {
    std::vector<uint8_t> image;
    ml::KnownMemory Known(ml::LoggerModel, const std::string&) override {
        return {image, static_cast<uint32_t>(image.size()), {}, {}};
    }
    void Erased(ml::LoggerModel, const std::string&) override {}
};

// One whole read-log of the simulator's image; its wall time, 0 on failure.
double TimedRead(const std::string& imagePath, ml::LoggerMemoryBook* book) {
    PacedSimulator sim(imagePath);
    if (sim.port.empty()) return 0;
    ml::Session session;
    session.portList = {ml::PortEntry{"loggersim", sim.port, sim.port}};
    SilentUi ui;
    ml::ReadLogFlow flow(session, ui);
    flow.SetMemoryBook(book);
    flow.StartReadLog(0);
    const auto start = std::chrono::steady_clock::now();
    if (flow.RunReadLog() != ml::ReadLogOutcome::MtkCompleted) return 0;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PacedWeeklyDownload(benchmark::State& state) {
    size_t smallBytes = 128u << 10;
    if (const char* env = std::getenv("MILELEDGER_BENCH_FULL_BYTES")) smallBytes = std::strtoul(env, nullptr, 10);
    const std::vector<uint8_t> log = MakeLogImage(kLog);
    const std::string logPath = WriteImage(log, "mileledger-bench-weekly.bin");
    const std::string smallPath =
        WriteImage(std::vector<uint8_t>(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(smallBytes)),
                   "mileledger-bench-small.bin");
    KnownPrefix lastWeek;
    lastWeek.image.assign(log.begin(), log.end() - kGrowth);
    for (auto _ : state) {
        const double full = TimedRead(smallPath, nullptr);
        const double weekly = TimedRead(logPath, &lastWeek);
        if (full == 0 || weekly == 0) {
            state.SkipWithError("a download did not complete");
            break;
        }
        const double fullScaled = full * static_cast<double>(kLog) / static_cast<double>(smallBytes);
        state.SetIterationTime(weekly);
        state.counters["full_small_s"] = full;
        state.counters["full_2MiB_s"] = fullScaled;
        state.counters["incremental_s"] = weekly;
        state.counters["incremental_%"] = weekly / fullScaled * 100.0;
    }
    std::filesystem::remove(logPath);
    std::filesystem::remove(smallPath);
}

BENCHMARK(BM_PacedWeeklyDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
