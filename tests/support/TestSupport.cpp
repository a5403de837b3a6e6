#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ml::test {

std::string SamplesDir() {
    const std::string dir = ML_SAMPLES_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

std::string DataDir() { return ML_TEST_DATA_DIR; }
std::string BinaryDir() { return ML_BINARY_DIR; }
std::string CliPath() { return BinaryDir() + "/tools/mileledger-cli"; }
std::string LoggerSimPath() { return BinaryDir() + "/tools/loggersim/loggersim"; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mileledger-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         const std::string& input, double timeoutSeconds) {
    ProcessResult result;
    int inPipe[2], outPipe[2], errPipe[2];
    if (pipe(inPipe) != 0 || pipe(outPipe) != 0 || pipe(errPipe) != 0) return result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(inPipe[0], 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        for (int fd : {inPipe[0], inPipe[1], outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) close(fd);
        for (const auto& entry : environment) putenv(strdup(entry.c_str()));
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(inPipe[0]);
    close(outPipe[1]);
    close(errPipe[1]);
    signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    if (input.empty()) {
        close(inPipe[1]);
        inPipe[1] = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    bool outOpen = true, errOpen = true;
    while (outOpen || errOpen) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        pollfd fds[3] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}, {inPipe[1], POLLOUT, 0}};
        const nfds_t n = inPipe[1] >= 0 ? 3 : 2;
        if (!outOpen) fds[0].fd = -1;
        if (!errOpen) fds[1].fd = -1;
        if (poll(fds, n, static_cast<int>(std::min<long long>(left.count(), 100))) < 0) continue;
        char buffer[65536];
        if (outOpen && (fds[0].revents & (POLLIN | POLLHUP))) {
            const ssize_t r = read(outPipe[0], buffer, sizeof buffer);
            if (r > 0) result.out.append(buffer, static_cast<size_t>(r)); else outOpen = false;
        }
        if (errOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
            const ssize_t r = read(errPipe[0], buffer, sizeof buffer);
            if (r > 0) result.err.append(buffer, static_cast<size_t>(r)); else errOpen = false;
        }
        if (n == 3 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t w = write(inPipe[1], input.data() + written, input.size() - written);
            if (w > 0) written += static_cast<size_t>(w);
            if (w <= 0 || written >= input.size()) {
                close(inPipe[1]);
                inPipe[1] = -1;
            }
        }
    }
    if (inPipe[1] >= 0) close(inPipe[1]);
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    return result;
}

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
        saved_ = old;
        hadOld_ = true;
    }
    setenv("TZ", zone, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (hadOld_) {
        setenv("TZ", saved_.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

ScopedDecimalCommaLocale::ScopedDecimalCommaLocale() {
    constexpr const char* kName = "de_DE.UTF-8";
    if (std::setlocale(LC_ALL, kName) == nullptr) {
        // Built once per build folder; a parallel test may be building it
        // too, so each builds aside and the first rename wins.
        const std::string folder = BinaryDir() + "/locale";
        if (!FileExists(folder + "/" + kName + "/LC_NUMERIC")) {
            std::error_code ec;
            std::filesystem::create_directories(folder, ec);
            const std::string aside = folder + "/building-" + std::to_string(getpid());
            const ProcessResult built = RunProcess({"/usr/bin/localedef", "-i", "de_DE", "-f", "UTF-8", aside});
            if (std::rename(aside.c_str(), (folder + "/" + kName).c_str()) != 0) {
                std::filesystem::remove_all(aside, ec);
            }
            if (!FileExists(folder + "/" + kName + "/LC_NUMERIC")) {
                why_ = "no de_DE.UTF-8 locale, and localedef could not build one (the locales package "
                       "holds its sources): " + built.err;
                return;
            }
        }
        setenv("LOCPATH", folder.c_str(), 1);
        if (std::setlocale(LC_ALL, kName) == nullptr) {
            unsetenv("LOCPATH");
            why_ = "the de_DE.UTF-8 locale built into " + folder + " does not load";
            return;
        }
    }
    if (std::string(std::localeconv()->decimal_point) != ",") {
        why_ = "de_DE.UTF-8 has no decimal comma here";
        std::setlocale(LC_ALL, "C");
        return;
    }
    active_ = true;
}

ScopedDecimalCommaLocale::~ScopedDecimalCommaLocale() {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
}

}  // namespace ml::test
