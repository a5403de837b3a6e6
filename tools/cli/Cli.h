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

// Why an input is refused as a memory image.
inline constexpr const char* kNotAnImage = "not an MTK log image (no 64 KiB sector carries the data mark)";

// Exit status of a command that failed.
constexpr int kExitFailure = 1;
// Exit status of a command line that could not be understood.
constexpr int kExitUsage = 2;
// Exit status of a download that lost data on the way: what arrived was
// saved and printed.
constexpr int kExitIncomplete = 3;

// Loads Setting.ini the way the program's start-up does: the path from
// --settings, MILELEDGER_SETTINGS, beside the executable or the XDG config
// folder; the defaults when TRACK_CUT_MODE is 0. Commands that talk to the
// logger (`mayWrite`) also create or reset the file then, as the program
// does; commands that only read files leave the disk alone. Warnings go to
// stderr; the settings are always usable. Every command calls it first.
SettingsFileState LoadCliSettings(const CliContext& context, bool mayWrite);

// Takes the value after an option; false (after a message) when there is
// none or it is empty, which would otherwise pass for "not given".
bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string& value);

}  // namespace ml::cli
