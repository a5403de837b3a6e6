#include "tools/loggersim/SimRunner.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "tools/loggersim/SimSentence.h"

namespace ml::sim {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPumpSlice{50};

}  // namespace

SimRunner::SimRunner(PtyLink& link, SimulatedLogger& logger, const SimOptions& options)
    : link_(link), logger_(logger), options_(options) {
    if (options_.verbose) logger_.SetTrace([this](const std::string& line) { Trace(line); });
}

SimRunner::~SimRunner() {
    if (logFd_ >= 0) close(logFd_);
}

bool SimRunner::OpenLog(std::string& error) {
    if (options_.logPath.empty()) return true;
    logFd_ = open(options_.logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (logFd_ < 0) {
        error = "cannot open the log " + options_.logPath + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void SimRunner::Trace(const std::string& line) const {
    if (!options_.verbose) return;
    const std::string text = "loggersim: " + line + "\n";
    // One write per line keeps lines whole when stderr is shared.
    [[maybe_unused]] const ssize_t ignored = write(STDERR_FILENO, text.data(), text.size());
}

void SimRunner::HandleReceived(const std::string& bytes) {
    if (logFd_ >= 0) {
        // Written at once, so a test can read the file while we still run.
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t w = write(logFd_, bytes.data() + done, bytes.size() - done);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                std::fprintf(stderr, "loggersim: cannot write the log: %s\n", std::strerror(errno));
                break;
            }
            done += static_cast<size_t>(w);
        }
    }
    Trace("<- " + Printable(bytes));
    Send(logger_.Receive(bytes));
    WriteStats();
}

// Rewritten whole after every exchange, before the answer leaves, so a test
// that has its answer finds the counters up to date.
void SimRunner::WriteStats() const {
    if (options_.statsPath.empty()) return;
    const std::string text = "line-bytes " + std::to_string(queued_) + "\n" + logger_.Stats();
    const std::string temporary = options_.statsPath + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) close(fd);
    if (!written || rename(temporary.c_str(), options_.statsPath.c_str()) != 0) {
        std::fprintf(stderr, "loggersim: cannot write %s: %s\n", options_.statsPath.c_str(), std::strerror(errno));
    }
}

void SimRunner::Send(std::string bytes) {
    if (bytes.empty()) return;
    if (silent_) {
        Trace("silent: " + std::to_string(bytes.size()) + " bytes not sent");
        return;
    }
    uint64_t limit = UINT64_MAX;
    if (options_.silenceAfter) limit = std::min(limit, *options_.silenceAfter);
    if (options_.hangupAfter) limit = std::min(limit, *options_.hangupAfter);
    const uint64_t room = limit > queued_ ? limit - queued_ : 0;
    if (bytes.size() > room) {
        bytes.resize(static_cast<size_t>(room));
        if (options_.silenceAfter && queued_ + room >= *options_.silenceAfter) {
            silent_ = true;
            Trace("falling silent after " + std::to_string(*options_.silenceAfter) + " bytes");
        }
    }
    if (bytes.empty()) return;
    Trace("-> " + Printable(bytes));
    queued_ += bytes.size();
    link_.Queue(bytes);
}

int SimRunner::Run(const volatile std::sig_atomic_t& stop) {
    auto lastActivity = Clock::now();
    const auto idleLimit = std::chrono::duration<double>(options_.exitAfterIdle);
    while (stop == 0) {
        if (options_.hangupAfter && link_.BytesSent() >= *options_.hangupAfter) {
            Trace("hanging up after " + std::to_string(link_.BytesSent()) + " bytes");
            link_.Drain(std::chrono::seconds(2));
            link_.HangUp();
            return 0;
        }
        std::string received;
        if (!link_.Pump(kPumpSlice, received)) {
            std::fprintf(stderr, "loggersim: %s\n", link_.lastError().c_str());
            return 1;
        }
        if (!received.empty()) HandleReceived(received);
        if (!received.empty() || link_.Pending() > 0) {
            lastActivity = Clock::now();
        } else if (options_.exitAfterIdle > 0 && Clock::now() - lastActivity >= idleLimit) {
            Trace("idle, exiting");
            return 0;
        }
    }
    Trace("stopped");
    return 0;
}

}  // namespace ml::sim
