// POSIX side of SerialPort.
//
// Device facts worth knowing:
// - The descriptor is non-blocking; poll() on the monotonic clock gives the
//   designed read (queued bytes at once, else up to 200 ms for the first
//   one). VMIN=0/VTIME=2 are set as well so that any blocking reader of the
//   same tty sees the same behaviour.
// - Pseudo-terminals (the logger simulator) accept the termios settings but
//   reject the modem-control ioctls; that is logged and ignored.
// - After the other end hangs up (adapter unplugged, simulator gone) a read
//   fails with EIO or returns 0 and poll() reports POLLHUP; both are
//   reported as a failed port, never as silence, so no loop spins on them.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <filesystem>

#include "core/DiagLog.h"
#include "link/platform/PortDiscovery.h"
#include "link/platform/SerialPortBackend.h"

namespace ml::serial {

namespace {
std::string ErrnoText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

int PollOnce(int fd, short events, long timeoutMs, short& revents) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd entry{fd, events, 0};
        const long left = std::max<long>(0, static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                                  deadline - std::chrono::steady_clock::now())
                                                                  .count()));
        const int result = poll(&entry, 1, static_cast<int>(std::min<long>(left, INT_MAX)));
        if (result < 0 && errno == EINTR) continue;
        revents = entry.revents;
        return result;
    }
}
}  // namespace

std::string DevicePath(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    return "/dev/" + name;
}

void TuneLatency(const std::string& name) {
    std::error_code ignored;
    std::filesystem::path path = std::filesystem::canonical(DevicePath(name), ignored);
    if (path.empty()) path = DevicePath(name);
    const std::string tty = path.filename().string();
    std::string error;
    switch (SetFtdiLatencyTimer(tty, "/sys", error)) {
        case FtdiLatencyResult::NotFtdi: break;
        case FtdiLatencyResult::Set: DiagPrintf("serial: %s latency timer set to 1 ms\n", tty.c_str()); break;
        case FtdiLatencyResult::Failed:
            DiagPrintf("serial: %s latency timer not set (%s)\n", tty.c_str(), error.c_str());
            break;
    }
}

intptr_t OpenDevice(const std::string& path, std::string& error) {
    int fd;
    do {
        fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    if (!isatty(fd)) {
        error = "not a serial device";
        close(fd);
        return -1;
    }
    // No sharing: a second program opening the logger would steal bytes.
    if (ioctl(fd, TIOCEXCL) != 0) DiagPrintf("serial: %s: TIOCEXCL: %s\n", path.c_str(), std::strerror(errno));
    return fd;
}

bool ConfigureLine(intptr_t handle, std::string& error) {
    const int fd = static_cast<int>(handle);
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        error = ErrnoText("tcgetattr");
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 2;
    if (cfsetispeed(&tio, B38400) != 0 || cfsetospeed(&tio, B38400) != 0) {
        error = ErrnoText("cfsetspeed");
        return false;
    }
    int result;
    do {
        result = tcsetattr(fd, TCSANOW, &tio);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        error = ErrnoText("tcsetattr");
        return false;
    }
    if (tcflush(fd, TCIOFLUSH) != 0) {
        error = ErrnoText("tcflush");
        return false;
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIS, &lines) != 0) {
        DiagPrintf("serial: DTR/RTS not raised (%s); going on\n", std::strerror(errno));
    }
    return true;
}

void CloseDevice(intptr_t handle) {
    if (handle < 0) return;
    // close() is not retried on EINTR: the descriptor is gone either way.
    close(static_cast<int>(handle));
}

int WaitReadable(intptr_t handle, long timeoutMs, std::string& error) {
    const int fd = static_cast<int>(handle);
    short revents = 0;
    const int result = PollOnce(fd, POLLIN, timeoutMs, revents);
    if (result < 0) {
        error = ErrnoText("poll");
        return -1;
    }
    if (result == 0) return 0;
    if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        int queued = 0;
        if ((revents & POLLNVAL) == 0 && ioctl(fd, FIONREAD, &queued) == 0 && queued > 0) return 1;
        error = "the line hung up";
        return -1;
    }
    return 1;
}

long ReadQueued(intptr_t handle, uint8_t* buffer, std::size_t max, std::string& error) {
    for (;;) {
        const ssize_t count = read(static_cast<int>(handle), buffer, max);
        if (count > 0) return static_cast<long>(count);
        if (count == 0) {
            // Readable but end of file: the other side has gone.
            error = "the line hung up";
            return -1;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
        error = ErrnoText("read");
        return -1;
    }
}

long WriteBytes(intptr_t handle, const uint8_t* data, std::size_t size, long stallMs, std::string& error) {
    const int fd = static_cast<int>(handle);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t count = write(fd, data + written, size - written);
        if (count > 0) {
            written += static_cast<std::size_t>(count);
            continue;
        }
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            error = ErrnoText("write");
            return written > 0 ? static_cast<long>(written) : -1;
        }
        short revents = 0;
        const int ready = PollOnce(fd, POLLOUT, stallMs, revents);
        if (ready < 0) {
            error = ErrnoText("poll");
            return written > 0 ? static_cast<long>(written) : -1;
        }
        if (ready == 0) break;  // the line stalled: report the short write
        if ((revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            error = "the line hung up";
            return written > 0 ? static_cast<long>(written) : -1;
        }
    }
    return static_cast<long>(written);
}

long QueuedInput(intptr_t handle, std::string& error) {
    int queued = 0;
    if (ioctl(static_cast<int>(handle), FIONREAD, &queued) != 0) {
        error = ErrnoText("FIONREAD");
        return -1;
    }
    return queued;
}

bool PurgeQueues(intptr_t handle, std::string& error) {
    int queued = 0;
    if (ioctl(static_cast<int>(handle), FIONREAD, &queued) != 0) {
        error = ErrnoText("FIONREAD");
        return false;
    }
    if (tcflush(static_cast<int>(handle), TCIOFLUSH) != 0) {
        error = ErrnoText("tcflush");
        return false;
    }
    return true;
}

}  // namespace ml::serial
