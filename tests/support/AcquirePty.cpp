#include "tests/support/AcquirePty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace ml::test {

AcquirePty::AcquirePty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    char name[128] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("ptsname failed");
    slavePath_ = name;
    // Raw on the master side too, so nothing is echoed or translated before
    // the port under test configures the line.
    termios tio{};
    if (tcgetattr(master_, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(master_, TCSANOW, &tio);
    }
}

AcquirePty::~AcquirePty() { HangUp(); }

void AcquirePty::Send(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error("pty write failed");
        done += static_cast<size_t>(n);
    }
}

std::string AcquirePty::Receive(int timeoutMs) {
    std::string got;
    for (;;) {
        pollfd p{master_, POLLIN, 0};
        const int ready = poll(&p, 1, got.empty() ? timeoutMs : 50);
        if (ready <= 0 || (p.revents & POLLIN) == 0) return got;
        char buffer[4096];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n <= 0) return got;
        got.append(buffer, static_cast<size_t>(n));
    }
}

void AcquirePty::HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

}  // namespace ml::test
