// `mileledger-cli decode` as a whole process on a full 16 MiB image
// (832,256 records): wall time per run, the process's processor time and
// peak memory, with the CSV written to a file beside the image.
// MILELEDGER_CLI names another build of the tool to compare with.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/BenchImage.h"

namespace {

struct TempFiles {
    TempFiles() {
        char pattern[] = "/tmp/mileledger-bench-XXXXXX";
        if (mkdtemp(pattern) != nullptr) dir = pattern;
        image = dir + "/image.bin";
        csv = dir + "/fixes.csv";
        const auto bytes = ml::bench::Make16MiBImage(0x0000003D, 0);
        if (std::FILE* f = std::fopen(image.c_str(), "wb")) {
            ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
            ok = std::fclose(f) == 0 && ok;
        }
    }
    ~TempFiles() {
        std::remove(image.c_str());
        std::remove(csv.c_str());
        std::remove((dir + "/Setting.ini").c_str());
        rmdir(dir.c_str());
    }
    std::string dir, image, csv;
    bool ok = false;
};

// One run; false when the process could not run or failed.
bool RunDecode(const TempFiles& files, long& peakKiB, double& cpuSeconds) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        const int out = open(files.csv.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (out < 0 || null < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(null, STDERR_FILENO) < 0) _exit(127);
        const std::string settings = files.dir + "/Setting.ini";
        const char* cli = std::getenv("MILELEDGER_CLI") != nullptr ? std::getenv("MILELEDGER_CLI") : ML_CLI_PATH;
        execl(cli, cli, "--settings", settings.c_str(), "decode", files.image.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return false;
    peakKiB = usage.ru_maxrss;
    cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_CliDecode16MiB(benchmark::State& state) {
    static const TempFiles files;
    if (!files.ok) {
        state.SkipWithError("cannot write the image");
        return;
    }
    long peakKiB = 0;
    double cpuSeconds = 0;
    double cpuTotal = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!RunDecode(files, peakKiB, cpuSeconds)) {
            state.SkipWithError("mileledger-cli decode failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpuTotal += cpuSeconds;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(ml::bench::kImageBytes));
    state.counters["peak_MiB"] = static_cast<double>(peakKiB) / 1024.0;
    // Processor time of the tool (user + system): steadier than wall time on a busy machine.
    state.counters["cpu_ms"] = 1000.0 * cpuTotal / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(BM_CliDecode16MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
