#include "store/platform/SettingsLocation.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace ml {

std::string ChooseSettingsPath(const SettingsLocationInputs& inputs) {
    if (!inputs.explicitPath.empty()) return inputs.explicitPath;
    if (!inputs.environmentPath.empty()) return inputs.environmentPath;
    if (!inputs.executableDir.empty() && ::access(inputs.executableDir.c_str(), W_OK | X_OK) == 0) {
        return inputs.executableDir + "/" + kSettingsFileName;
    }
    std::string config;
    if (!inputs.xdgConfigHome.empty() && inputs.xdgConfigHome.front() == '/') {
        config = inputs.xdgConfigHome;
    } else if (!inputs.home.empty()) {
        config = inputs.home + "/.config";
    } else {
        // No home either: the working folder is the last place left.
        return kSettingsFileName;
    }
    return config + "/MileLedger/" + kSettingsFileName;
}

std::string ExecutableDir() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return exe.parent_path().string();
}

std::string PortableDir() {
    std::string dir = ExecutableDir();
    if (dir.rfind("/usr/", 0) == 0) dir.clear();
    return dir;
}

std::string SettingsPath(const std::string& explicitPath) {
    const auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::string(value) : std::string();
    };
    return ChooseSettingsPath(
        {explicitPath, env("MILELEDGER_SETTINGS"), PortableDir(), env("XDG_CONFIG_HOME"), env("HOME")});
}

}  // namespace ml
