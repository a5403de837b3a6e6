#pragma once
// The download benchmarks' logger: the simulator as a child process playing
// an MTK logger at the real line rate (38400 baud, 10 bits per byte), a log
// image of a given size, and a user interface that shows nothing.
// MILELEDGER_LOGGERSIM names the simulator (default: beside the benchmark in
// the build tree).
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "acquire/AcquireUi.h"
#include "tools/imagewriter/MtkImageWriter.h"

extern char** environ;

namespace ml::bench {

class SilentUi : public AcquireUi {
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

inline std::string SimulatorPath() {
    if (const char* env = std::getenv("MILELEDGER_LOGGERSIM")) return env;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "tools" / "loggersim" / "loggersim").string();
}

// `bytes` bytes of records, one fix a second.
inline std::vector<uint8_t> MakeLogImage(size_t bytes) {
    MtkImageWriter writer(0x0000003D);
    FixRecord fix{1796025600, 37.5f, 127.0f, 40.0f, 30.0f, 0.0f};
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

// Writes `image` to a file in the temporary folder; its path.
inline std::string WriteImage(const std::vector<uint8_t>& image, const char* name) {
    const std::string path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return path;
}

// The paced simulator as a child process; its first output line names the port.
struct PacedSimulator {
    pid_t pid = -1;
    std::string port;
    explicit PacedSimulator(const std::string& imagePath) {
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
    ~PacedSimulator() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

inline double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace ml::bench
