#include "tests/support/TestSupport.h"

#include <fcntl.h>
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
#include <thread>

namespace ml::test {

std::string SamplesDir() {
    const std::string dir = ML_SAMPLES_DIR;
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

std::string DataDir() { return ML_TEST_DATA_DIR; }
std::string CliPath() { return ML_BINARY_DIR "/tools/mileledger-cli"; }
std::string LoggerSimPath() { return ML_BINARY_DIR "/tools/loggersim/loggersim"; }

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

// The program's input and output go through files, so that nothing waits on
// a full pipe; it is done when it exits, whatever its children still hold.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                         const std::string& input, double timeoutSeconds) {
    ProcessResult result;
    const TempDir dir;
    WriteText(dir.File("in"), input);
    const pid_t pid = fork();
    if (pid == 0) {
        const int flags = O_WRONLY | O_CREAT | O_TRUNC;
        if (dup2(open(dir.File("in").c_str(), O_RDONLY), 0) < 0 ||
            dup2(open(dir.File("out").c_str(), flags, 0600), 1) < 0 ||
            dup2(open(dir.File("err").c_str(), flags, 0600), 2) < 0) {
            _exit(126);
        }
        for (const auto& entry : environment) putenv(strdup(entry.c_str()));
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);  // then it did not exit normally
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (pid > 0 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (FileExists(dir.File("out"))) result.out = ReadText(dir.File("out"));
    if (FileExists(dir.File("err"))) result.err = ReadText(dir.File("err"));
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
        // Built once per build folder, from the sources the locales package holds.
        const std::string folder = ML_BINARY_DIR "/locale", built = folder + "/" + kName;
        if (!FileExists(built + "/LC_NUMERIC")) {
            std::error_code ignored;  // localedef then says what is wrong
            std::filesystem::create_directories(folder, ignored);
            const ProcessResult r = RunProcess({"/usr/bin/localedef", "-i", "de_DE", "-f", "UTF-8", built});
            if (!FileExists(built + "/LC_NUMERIC")) {
                why_ = "no de_DE.UTF-8 locale, and localedef could not build one: " + r.err;
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
