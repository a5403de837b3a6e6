#include "store/platform/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/TextFormat.h"

namespace ml {

namespace {
std::string Reason() { return std::strerror(errno); }

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

ReadStatus ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    bytes.clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const ReadStatus status = errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
        error = "cannot open " + path + ": " + Reason();
        return status;
    }
    const auto fail = [&](const std::string& why) {
        ::close(fd);
        bytes.clear();
        error = "cannot read " + path + ": " + why;
        return ReadStatus::Failed;
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0) return fail(Reason());
    if (S_ISDIR(info.st_mode)) return fail("it is a folder");
    // A device or a pipe may never end (/dev/zero); only plain files are read.
    if (!S_ISREG(info.st_mode)) return fail("not a regular file");
    const auto tooLarge = [&] { return fail(Format("larger than %zu MiB", kMaxReadBytes >> 20)); };
    if (static_cast<uint64_t>(info.st_size) > kMaxReadBytes) return tooLarge();
    // Read straight into the result; one byte of room more than the size
    // lets the end of the file show without growing the buffer.
    bytes.resize(static_cast<size_t>(info.st_size) + 1);
    size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            // The file grew while being read, or reports no size (/proc).
            if (used > kMaxReadBytes) return tooLarge();
            bytes.resize(std::min(std::max<size_t>(used * 2, 1 << 16), kMaxReadBytes + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            return fail(Reason());
        }
        if (got == 0) break;
        used += static_cast<size_t>(got);
    }
    ::close(fd);
    bytes.resize(used);
    return ReadStatus::Ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error, bool createFolder) {
    const auto fail = [&](const std::string& why) {
        error = "cannot write " + path + ": " + why;
        return false;
    };
    // Saving through a symbolic link replaces the file it points at (beside
    // that file), not the link, so the link keeps working.
    std::filesystem::path target(path);
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        std::error_code ec;
        target = std::filesystem::weakly_canonical(target, ec);
        if (ec) return fail(ec.message());
    }
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists) {
        if (S_ISDIR(info.st_mode)) return fail("it is a folder");
        if (!S_ISREG(info.st_mode)) return fail("not a regular file");
        // A file the user made read-only is not replaced behind their back,
        // although the folder would allow the rename; its owner's write bit
        // counts even for root, who may write anything.
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return fail(Reason());
        if ((info.st_mode & S_IWUSR) == 0) return fail(std::strerror(EACCES));
    }
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    if (createFolder) {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
    }
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return fail(Reason());
    ::fchmod(fd, exists ? info.st_mode & 07777 : 0666 & ~CurrentUmask());
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    std::string reason = written ? std::string() : Reason();
    if (::close(fd) != 0 && written) reason = Reason();
    if (reason.empty() && ::rename(temp.c_str(), target.c_str()) != 0) reason = Reason();
    if (!reason.empty()) {
        ::unlink(temp.c_str());
        return fail(reason);
    }
    return true;
}

}  // namespace ml
