#include "store/platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ml {

namespace {
std::string Reason() { return std::strerror(errno); }

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}
// umask() can only be read by changing it, which would race with other
// threads creating files; /proc gives it without a change.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
    return 022;
}
}  // namespace

ReadStatus ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return ReadStatus::Missing;
        error = "cannot open " + path + ": " + Reason();
        return ReadStatus::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        error = "cannot read " + path + ": it is a folder";
        return ReadStatus::Failed;
    }
    if (info.st_size > 0) bytes.reserve(static_cast<size_t>(info.st_size));
    uint8_t buffer[1 << 16];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0) {
            if (errno == EINTR) continue;
            error = "cannot read " + path + ": " + Reason();
            ::close(fd);
            return ReadStatus::Failed;
        }
        if (got == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    ::close(fd);
    return ReadStatus::Ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error,
                         bool createFolder) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    if (createFolder) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot write " + path + ": " + Reason();
        return false;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        ::fchmod(fd, info.st_mode & 07777);
    } else {
        ::fchmod(fd, 0666 & ~CurrentUmask());
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const std::string reason = written ? std::string() : Reason();
    if (::close(fd) != 0 || !written) {
        ::unlink(temp.c_str());
        error = "cannot write " + path + ": " + (reason.empty() ? Reason() : reason);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + Reason();
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace ml
