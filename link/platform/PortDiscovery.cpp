#include "link/platform/PortDiscovery.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include <signal.h>
#include <unistd.h>

namespace ml {

namespace fs = std::filesystem;

namespace {

// ttyS2 < ttyS10 < ttyUSB0: compare the text part, then the number.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1])) != 0) --digits;
        const std::string number = s.substr(digits);
        return std::make_pair(s.substr(0, digits), number.empty() ? -1L : std::strtol(number.c_str(), nullptr, 10));
    };
    return split(a) < split(b);
}

std::string ReadFirstLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    if (in) std::getline(in, line);
    return line;
}

// serial8250 registers ports that have no UART behind them; their uart type
// reads 0 (PORT_UNKNOWN).
bool IsPhantomUart(const fs::path& ttyDir) {
    std::error_code ec;
    if (!fs::exists(ttyDir / "type", ec)) return false;
    const std::string type = ReadFirstLine(ttyDir / "type");
    return type == "0";
}

void AddEntry(std::vector<PortEntry>& entries, std::set<std::string>& seen, PortEntry entry) {
    if (entries.size() >= kMaxPortEntries) return;
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(entry.devicePath, ec);
    const std::string key = ec ? entry.devicePath : canonical.string();
    if (!seen.insert(key).second) return;
    entries.push_back(std::move(entry));
}

}  // namespace

std::vector<std::string> SplitPortList(std::string_view list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string_view::npos) end = list.size();
        if (end > start) items.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

std::string TtyDriverName(const std::string& tty, const std::string& sysRoot) {
    std::error_code ec;
    const fs::path link = fs::path(sysRoot) / "class" / "tty" / tty / "device" / "driver";
    const fs::path target = fs::read_symlink(link, ec);
    if (ec) return {};
    return target.filename().string();
}

std::string TtyUsbDescription(const std::string& tty, const std::string& sysRoot) {
    std::error_code ec;
    fs::path dir = fs::canonical(fs::path(sysRoot) / "class" / "tty" / tty / "device", ec);
    // The USB device (the folder with idVendor) is the interface's parent,
    // a level further up for adapters that add a port folder of their own.
    for (int up = 0; !ec && up < 4 && !dir.empty(); ++up, dir = dir.parent_path()) {
        if (!fs::exists(dir / "idVendor", ec)) continue;
        std::string text = ReadFirstLine(dir / "manufacturer");
        const std::string product = ReadFirstLine(dir / "product");
        if (!product.empty()) text += (text.empty() ? "" : " ") + product;
        return text;
    }
    return {};
}

bool IsLoggerCandidate(const PortEntry& entry) {
    return entry.valueName == "extra" || entry.portName.rfind("ttyUSB", 0) == 0 ||
           entry.portName.rfind("ttyACM", 0) == 0;
}

std::string PortInUseBy(const PortEntry& entry, const std::string& sysRoot) {
    std::error_code ec;
    const fs::path device = fs::weakly_canonical(entry.devicePath, ec);
    const std::string name = device.filename().string();
    // UUCP lock files: "LCK..ttyUSB0" holding the owner's pid.
    for (const char* folder : {"/run/lock", "/var/lock"}) {
        const std::string pidText = ReadFirstLine(fs::path(folder) / ("LCK.." + name));
        const long pid = std::strtol(pidText.c_str(), nullptr, 10);
        if (pid > 0 && pid != getpid() && kill(static_cast<pid_t>(pid), 0) == 0) {
            return ReadFirstLine(fs::path("/proc") / std::to_string(pid) / "comm") + " (pid " + std::to_string(pid) +
                   ")";
        }
    }
    // A pseudo-terminal's other end holds it open by design: only ports the
    // system lists as devices are looked for among open files.
    if (ec || !fs::exists(fs::path(sysRoot) / "class" / "tty" / name, ec)) return {};
    for (fs::directory_iterator proc("/proc", ec), end; !ec && proc != end; proc.increment(ec)) {
        const std::string pid = proc->path().filename().string();
        if (pid.empty() || std::isdigit(static_cast<unsigned char>(pid[0])) == 0 || pid == std::to_string(getpid()))
            continue;
        std::error_code fdEc;
        for (fs::directory_iterator fd(proc->path() / "fd", fdEc), fdEnd; !fdEc && fd != fdEnd; fd.increment(fdEc)) {
            std::error_code linkEc;
            if (fs::read_symlink(fd->path(), linkEc) == device) {
                return ReadFirstLine(proc->path() / "comm") + " (pid " + pid + ")";
            }
        }
    }
    return {};
}

std::vector<PortEntry> EnumerateSerialPorts(const PortDiscoveryOptions& options) {
    std::vector<std::string> ttys;
    std::error_code ec;
    const fs::path classDir = fs::path(options.sysRoot) / "class" / "tty";
    for (fs::directory_iterator it(classDir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path dir = it->path();
        std::error_code deviceEc;
        if (!fs::exists(dir / "device", deviceEc)) continue;
        if (IsPhantomUart(dir)) continue;
        ttys.push_back(dir.filename().string());
    }
    std::sort(ttys.begin(), ttys.end(), NaturalLess);

    std::vector<PortEntry> entries;
    std::set<std::string> seen;
    for (const auto& tty : ttys) {
        PortEntry entry = MakePortEntry(TtyDriverName(tty, options.sysRoot), tty, "/dev/" + tty);
        entry.description = TtyUsbDescription(tty, options.sysRoot);
        AddEntry(entries, seen, std::move(entry));
    }
    std::vector<std::string> extras;
    if (options.useEnvironment) {
        if (const char* env = std::getenv("MILELEDGER_PORTS"); env != nullptr) extras = SplitPortList(env);
    }
    extras.insert(extras.end(), options.extraPorts.begin(), options.extraPorts.end());
    for (const auto& path : extras) {
        AddEntry(entries, seen, MakePortEntry("extra", path, path));
    }
    return entries;
}

FtdiLatencyResult SetFtdiLatencyTimer(const std::string& tty, const std::string& sysRoot, std::string& error) {
    if (tty.empty() || TtyDriverName(tty, sysRoot) != "ftdi_sio") return FtdiLatencyResult::NotFtdi;
    const fs::path file = fs::path(sysRoot) / "bus" / "usb-serial" / "devices" / tty / "latency_timer";
    std::ofstream out(file);
    if (!out) {
        error = file.string() + ": " + std::strerror(errno);
        return FtdiLatencyResult::Failed;
    }
    out << "1\n";
    out.flush();
    if (!out) {
        error = file.string() + ": write failed";
        return FtdiLatencyResult::Failed;
    }
    return FtdiLatencyResult::Set;
}

}  // namespace ml
