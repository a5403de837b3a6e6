#pragma once
// The command-line tool's shared pieces: the options every command takes,
// the command registry, and the one-line error convention.
#include <string>
#include <vector>

#include "store/platform/SettingsFile.h"

namespace ml::cli {

struct CliContext {
    std::string settingsPath;  // --settings PATH; empty: the program's usual place
    bool verbose = false;      // --verbose or MILELEDGER_DEBUG=1: diagnostic log on stderr
};

using CommandFunction = int (*)(CliContext& context, const std::vector<std::string>& args);

// Each command file registers itself with a static CommandRegistration, so
// adding a command touches no other file.
struct CommandRegistration {
    CommandRegistration(const char* name, const char* usage, CommandFunction run);
};

// Prints "mileledger-cli: MESSAGE" on stderr and returns the failure status.
int Fail(const std::string& message);

// Exit status of a command that failed.
constexpr int kExitFailure = 1;
// Exit status of a command line that could not be understood.
constexpr int kExitUsage = 2;

// Loads Setting.ini the way the program's start-up does: the path from
// --settings, MILELEDGER_SETTINGS, beside the executable or the XDG config
// folder; created with the defaults (or reset) when TRACK_CUT_MODE is 0.
// Warnings go to stderr; the settings are always usable. Every command calls
// it first.
SettingsFileState LoadCliSettings(const CliContext& context);

// Reads a whole file; false with a message naming the file when it cannot.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error);

}  // namespace ml::cli
