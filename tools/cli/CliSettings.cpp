// The settings every command works with, loaded as the desktop program
// loads them at start-up, so that the tool and the program agree on the
// cut time and on the details written into track files.
#include <cstdio>

#include "store/platform/SettingsLocation.h"
#include "tools/cli/Cli.h"

namespace ml::cli {

SettingsFileState LoadCliSettings(const CliContext& context, bool mayWrite) {
    SettingsFileState state = StartSettings(SettingsPath(context.settingsPath), mayWrite);
    for (const auto& warning : state.warnings) {
        std::fprintf(stderr, "mileledger-cli: warning: %s\n", warning.c_str());
    }
    return state;
}

}  // namespace ml::cli
