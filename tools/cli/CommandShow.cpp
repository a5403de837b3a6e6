// show FILE.dat: a track file's header settings and tracks.
//
// Output, UTF-8:
//   the fifteen header settings as KEY=value lines in their save order
//   a blank line
//   the tracks, one line each, as `tracks` prints them
//   a blank line
//   "fixes:" followed by each track's fix count, separated by blanks
// A damaged file prints its complete tracks, warns on stderr and exits 0.
#include <cstdio>
#include <string>
#include <vector>

#include "store/platform/TrackFileStore.h"
#include "tools/cli/Cli.h"
#include "tools/cli/TrackLines.h"

namespace ml::cli {

namespace {

std::string FormatHeader(const Settings& header) {
    std::string out;
    for (const auto& key : SettingKeysInSaveOrder()) {
        out += key.key;
        out += '=';
        // A header from elsewhere may hold a line break; keep one line per key.
        for (const char c : key.text != nullptr ? header.*key.text : std::to_string(header.*key.number)) {
            out += (c == '\r' || c == '\n') ? ' ' : c;
        }
        out += '\n';
    }
    return out;
}

std::string FormatFixCounts(const TrackList& tracks) {
    std::string out = "fixes:";
    for (const auto& track : tracks) out += " " + std::to_string(track.fixes.size());
    return out + "\n";
}

int RunShow(CliContext& context, const std::vector<std::string>& args) {
    LoadCliSettings(context, false);
    if (args.size() != 1) {
        std::fprintf(stderr, "mileledger-cli: usage: show FILE.dat\n");
        return kExitUsage;
    }
    const TrackFileLoad load = LoadTrackFile(args[0]);
    if (!load.ok) return Fail(load.error);

    const std::string out = FormatHeader(load.contents.header) + "\n" + FormatTrackLines(load.contents.tracks) + "\n" +
                            FormatFixCounts(load.contents.tracks);
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (!load.warning.empty()) std::fprintf(stderr, "mileledger-cli: warning: %s\n", load.warning.c_str());
    return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the output");
}

const CommandRegistration kRegistration("show", "show FILE.dat", &RunShow);

}  // namespace
}  // namespace ml::cli
