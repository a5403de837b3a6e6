#include "tests/support/LoggerSimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace ml::test {

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadIfThere(const std::string& path) { return FileExists(path) ? ReadText(path) : std::string(); }

}  // namespace

LoggerSimProcess::LoggerSimProcess(const std::vector<std::string>& flags, double startSeconds)
    : logPath_(dir_.File("received.bin")), stderrPath_(dir_.File("stderr.txt")) {
    const std::string program = LoggerSimPath();
    if (access(program.c_str(), X_OK) != 0) {
        error_ = "the simulator is not built: " + program;
        return;
    }
    int out[2];
    if (pipe(out) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), flags.begin(), flags.end());
    argv.push_back("--log");
    argv.push_back(logPath_);
    const int errFd = open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        if (errFd >= 0) dup2(errFd, STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    if (errFd >= 0) close(errFd);
    close(out[1]);
    stdoutFd_ = out[0];
    if (pid_ < 0) {
        error_ = std::string("fork: ") + std::strerror(errno);
        return;
    }
    std::string line;
    const auto deadline = Clock::now() + std::chrono::duration<double>(startSeconds);
    while (line.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            error_ = "the simulator printed no port line in time";
            break;
        }
        pollfd fd{stdoutFd_, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left.count())) <= 0) continue;
        char c = 0;
        if (read(stdoutFd_, &c, 1) != 1) {
            error_ = "the simulator ended before printing its port";
            break;
        }
        line += c;
    }
    if (error_.empty() && line.rfind("PORT ", 0) == 0) {
        port_ = line.substr(5, line.size() - 6);
    } else if (error_.empty()) {
        error_ = "unexpected first line from the simulator: " + line;
    }
    if (port_.empty()) {
        Stop();
        error_ += "; stderr: " + ReadIfThere(stderrPath_);
    }
}

LoggerSimProcess::~LoggerSimProcess() {
    Stop();
    if (stdoutFd_ >= 0) close(stdoutFd_);
}

std::string LoggerSimProcess::Received() const { return ReadIfThere(logPath_); }

void LoggerSimProcess::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
}

}  // namespace ml::test
