#include "tools/loggersim/PtyLink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ml::sim {

namespace {

const std::chrono::nanoseconds kByteTime{static_cast<int64_t>(PtyLink::kBitsPerByte / PtyLink::kBaud * 1e9)};

// Paced bytes go out in bursts of at most this many, a few milliseconds of
// line time, so the program's reads see pieces like a real UART delivers.
constexpr size_t kPacedBurst = 16;

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

PtyLink::~PtyLink() { HangUp(); }

bool PtyLink::Open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) {
        error = SystemError("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        error = SystemError("pseudo-terminal set-up");
        HangUp();
        return false;
    }
    slavePath_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) {
        error = SystemError(("open " + slavePath_).c_str());
        HangUp();
        return false;
    }
    termios settings{};
    if (tcgetattr(slave_, &settings) != 0) {
        error = SystemError("tcgetattr");
        HangUp();
        return false;
    }
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    cfsetispeed(&settings, B38400);
    cfsetospeed(&settings, B38400);
    if (tcsetattr(slave_, TCSANOW, &settings) != 0) {
        error = SystemError("tcsetattr");
        HangUp();
        return false;
    }
    return true;
}

void PtyLink::HangUp() {
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
    slave_ = -1;
    master_ = -1;
}

void PtyLink::Drain(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (slave_ >= 0 && Clock::now() < deadline) {
        int queued = 0;
        if (ioctl(slave_, FIONREAD, &queued) != 0 || queued == 0) return;
        usleep(2000);
    }
}

void PtyLink::Queue(std::string_view bytes) {
    if (bytes.empty()) return;
    if (Pending() == 0) {
        pending_.clear();
        pendingStart_ = 0;
        // An idle line does not save up time for a burst later.
        lineFreeAt_ = std::max(lineFreeAt_, Clock::now());
    }
    pending_.append(bytes);
}

bool PtyLink::Fail(std::string message) {
    error_ = std::move(message);
    return false;
}

bool PtyLink::WriteDue() {
    while (Pending() > 0) {
        size_t allowed = Pending();
        if (pacing_) {
            const auto now = Clock::now();
            if (now < lineFreeAt_) return true;
            const auto due = static_cast<size_t>((now - lineFreeAt_) / kByteTime) + 1;
            allowed = std::min({allowed, due, kPacedBurst});
        }
        const ssize_t written = write(master_, pending_.data() + pendingStart_, allowed);
        if (written < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
            return Fail(SystemError("write to the pseudo-terminal"));
        }
        pendingStart_ += static_cast<size_t>(written);
        bytesSent_ += static_cast<uint64_t>(written);
        if (pacing_) lineFreeAt_ += kByteTime * written;
        if (static_cast<size_t>(written) < allowed) return true;  // the line is full
    }
    return true;
}

bool PtyLink::ReadAll(std::string& received) {
    char buffer[4096];
    while (true) {
        const ssize_t count = read(master_, buffer, sizeof buffer);
        if (count > 0) {
            received.append(buffer, static_cast<size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        return Fail(count == 0 ? std::string("the pseudo-terminal was closed")
                               : SystemError("read from the pseudo-terminal"));
    }
}

bool PtyLink::Pump(std::chrono::milliseconds timeout, std::string& received) {
    if (master_ < 0) return Fail("the line is closed");
    const auto deadline = Clock::now() + timeout;
    const size_t before = received.size();
    while (true) {
        if (!WriteDue()) return false;
        const auto now = Clock::now();
        if (received.size() > before || now >= deadline) return true;
        auto wake = deadline;
        bool wantWrite = false;
        if (Pending() > 0) {
            if (pacing_ && lineFreeAt_ > now) {
                wake = std::min(wake, lineFreeAt_);
            } else {
                wantWrite = true;
            }
        }
        const auto waitNs = std::chrono::duration_cast<std::chrono::nanoseconds>(wake - now);
        const timespec wait{static_cast<time_t>(waitNs.count() / 1000000000),
                            static_cast<long>(waitNs.count() % 1000000000)};
        pollfd fd{master_, static_cast<short>(POLLIN | (wantWrite ? POLLOUT : 0)), 0};
        const int ready = ppoll(&fd, 1, &wait, nullptr);
        if (ready < 0) {
            if (errno == EINTR) return true;  // a signal: let the caller look at its flags
            return Fail(SystemError("poll"));
        }
        if (fd.revents & POLLIN) {
            if (!ReadAll(received)) return false;
        } else if (fd.revents & (POLLERR | POLLNVAL)) {
            return Fail("the pseudo-terminal failed");
        }
    }
}

}  // namespace ml::sim
