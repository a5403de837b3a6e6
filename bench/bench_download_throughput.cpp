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
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquire/ReadLogFlow.h"
#include "tools/imagewriter/MtkImageWriter.h"

extern char** environ;

namespace {

class SilentUi : public ml::AcquireUi {
public:
    void ShowMessage(const std::string& text, const std::string& caption) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    bool AskYesNo(const std::string&) override { return true; }
    void SetLoadingStage(int, const std::string&) override {}
    void ShowPopup() override {}
    void HidePopup() override {}
    void ProgressSetTotal(uint32_t) override {}
    void ProgressSetPosition(uint32_t) override {}
    void ProgressShow() override {}
    void ProgressHide() override {}
    void OnTracksUpdated() override {}
};

std::string SimulatorPath() {
    if (const char* env = std::getenv("MILELEDGER_LOGGERSIM")) return env;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "tools" / "loggersim" / "loggersim").string();
}

std::vector<uint8_t> MakeImage(size_t bytes) {
    ml::MtkImageWriter writer(0x0000003D);
    ml::FixRecord fix{1796025600, 37.5f, 127.0f, 40.0f, 30.0f, 0.0f};
    while (writer.UsedImage().size() < bytes) {
        for (int i = 0; i < 1000; ++i) {
            ++fix.time;
            fix.latitude += 0.00001f;
            writer.AddFix(fix);
        }
    }
    auto image = writer.UsedImage();
    image.resize(bytes);
    return image;
}

// The simulator as a child process; its first output line names the port.
struct Simulator {
    pid_t pid = -1;
    std::string port;
    explicit Simulator(const std::string& imagePath) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string path = SimulatorPath();
        std::vector<std::string> args = {path, "--mtk-image", imagePath, "--pace"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string line;
        char c;
        while (pid > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
        close(out[0]);
        if (line.rfind("PORT ", 0) == 0) port = line.substr(5);
    }
    ~Simulator() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_PacedMtkDownload(benchmark::State& state) {
    size_t bytes = 256 * 1024;
    if (const char* env = std::getenv("MILELEDGER_BENCH_LOG_BYTES")) bytes = std::strtoul(env, nullptr, 10);
    const std::string imagePath = std::filesystem::temp_directory_path() / "mileledger-bench-log.bin";
    {
        const auto image = MakeImage(bytes);
        std::ofstream(imagePath, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                          static_cast<std::streamsize>(image.size()));
    }
    for (auto _ : state) {
        Simulator sim(imagePath);
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
