// Download throughput over a line paced like the real one: the logger
// simulator plays an MTK logger at 38400 baud (10 bits per byte) and the
// read-log flow downloads a 256 KiB log from it. Reported:
//   line_s      the time the line itself needs for the bytes received
//   wall_s      the whole read-log run (model query to tracks)
//   overhead_%  how much longer than the line the run took
//   cpu_%       the program's processor time as a share of the wall time
// MILELEDGER_BENCH_LOG_BYTES sets another log size; MILELEDGER_LOGGERSIM
// the simulator (default: beside this program in the build tree).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "acquire/ReadLogFlow.h"
#include "bench/BenchPacedLogger.h"

namespace {

using namespace ml::bench;

void BM_PacedMtkDownload(benchmark::State& state) {
    size_t bytes = 256 * 1024;
    if (const char* env = std::getenv("MILELEDGER_BENCH_LOG_BYTES")) bytes = std::strtoul(env, nullptr, 10);
    const std::string imagePath = WriteImage(MakeLogImage(bytes), "mileledger-bench-log.bin");
    for (auto _ : state) {
        PacedSimulator sim(imagePath);
        if (sim.port.empty()) {
            state.SkipWithError("the logger simulator did not start");
            break;
        }
        ml::Session session;
        session.portList = {ml::PortEntry{"loggersim", sim.port, sim.port}};
        SilentUi ui;
        ml::ReadLogFlow flow(session, ui);
        flow.StartReadLog(0);
        const double cpuBefore = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const ml::ReadLogOutcome outcome = flow.RunReadLog();
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = CpuSeconds() - cpuBefore;
        state.SetIterationTime(wall);
        if (outcome != ml::ReadLogOutcome::MtkCompleted) {
            state.SkipWithError("the download did not complete");
            break;
        }
        const double line = static_cast<double>(session.port.bytesRead()) * 10.0 / 38400.0;
        state.counters["log_bytes"] = static_cast<double>(bytes);
        state.counters["line_bytes"] = static_cast<double>(session.port.bytesRead());
        state.counters["fixes"] = static_cast<double>(session.fixes.size());
        state.counters["line_s"] = line;
        state.counters["wall_s"] = wall;
        state.counters["overhead_%"] = (wall / line - 1.0) * 100.0;
        state.counters["cpu_%"] = cpu / wall * 100.0;
    }
    std::filesystem::remove(imagePath);
}

BENCHMARK(BM_PacedMtkDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
