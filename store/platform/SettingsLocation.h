#pragma once
// Where Setting.ini lives, first match wins:
//   1. an explicit path (--settings PATH of the command-line tool);
//   2. the MILELEDGER_SETTINGS environment variable;
//   3. beside the executable, when its folder is writable (portable use,
//      as the Windows build keeps it) and not a system folder under /usr
//      (an installed program run as root must not write into /usr/bin);
//   4. $XDG_CONFIG_HOME/MileLedger/Setting.ini, by default
//      ~/.config/MileLedger/Setting.ini.
#include <string>

namespace ml {

inline constexpr const char* kSettingsFileName = "Setting.ini";

struct SettingsLocationInputs {
    std::string explicitPath;
    std::string environmentPath;  // MILELEDGER_SETTINGS
    std::string executableDir;    // empty when unknown
    std::string xdgConfigHome;    // XDG_CONFIG_HOME; ignored unless absolute
    std::string home;             // HOME
};

// The rule above over given inputs; checks only whether executableDir is
// writable.
std::string ChooseSettingsPath(const SettingsLocationInputs& inputs);

// The rule above for this process (reads the environment and /proc/self/exe).
std::string SettingsPath(const std::string& explicitPath = {});

// Folder of the running executable, empty when it cannot be found.
std::string ExecutableDir();

// ExecutableDir() when the program runs from a folder of its own (a build
// tree, an unpacked copy), empty when it is installed under /usr.
std::string PortableDir();

}  // namespace ml
