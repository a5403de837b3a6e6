// read --port PORT [--out FILE.dat] [--dump FILE.bin] [--cut SECONDS]
//      [--geocode] [--timeout SECONDS]
// The read-log flow without windows: downloads the logger's log, prints the
// tracks as track lines on standard output, and optionally saves them.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "acquire/ReadLogFlow.h"
#include "acquire/TerminalAcquireUi.h"
#include "core/TextFormat.h"
#include "store/platform/GeocodingClient.h"
#include "store/platform/TrackFileStore.h"
#include "tools/cli/Cli.h"
#include "tools/cli/CliDownload.h"
#include "tools/cli/TrackLines.h"

namespace ml::cli {

namespace {

struct ReadArgs {
    std::string port;
    std::string out;
    std::string dump;
    int cut = -1;           // -1: TRACK_CUT_TIME of the settings
    bool geocode = false;
    double timeoutSeconds = 0;  // 0: the flow's default
};

bool ParseSeconds(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && value > 0 && value <= 3600;
}

int ParseReadArgs(const std::vector<std::string>& args, ReadArgs& parsed) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--geocode") {
            parsed.geocode = true;
        } else if ((arg == "--port" || arg == "--out" || arg == "--dump" || arg == "--cut" || arg == "--timeout") &&
                   !hasValue) {
            std::fprintf(stderr, "mileledger-cli: %s needs a value\n", arg.c_str());
            return kExitUsage;
        } else if (arg == "--port") {
            parsed.port = args[++i];
        } else if (arg == "--out") {
            parsed.out = args[++i];
        } else if (arg == "--dump") {
            parsed.dump = args[++i];
        } else if (arg == "--cut") {
            const std::string& value = args[++i];
            char* end = nullptr;
            const long cut = std::strtol(value.c_str(), &end, 10);
            if (end == value.c_str() || *end != '\0' || cut < 0 || cut > 86400L * 366) {
                std::fprintf(stderr, "mileledger-cli: --cut needs a number of seconds, not '%s'\n", value.c_str());
                return kExitUsage;
            }
            parsed.cut = static_cast<int>(cut);
        } else if (arg == "--timeout") {
            if (!ParseSeconds(args[++i], parsed.timeoutSeconds)) {
                std::fprintf(stderr, "mileledger-cli: --timeout needs seconds between 0 and 3600\n");
                return kExitUsage;
            }
        } else {
            std::fprintf(stderr, "mileledger-cli: read: unknown argument '%s'\n", arg.c_str());
            return kExitUsage;
        }
    }
    if (parsed.port.empty()) {
        std::fprintf(stderr, "mileledger-cli: usage: read --port PORT [--out FILE.dat] [--dump FILE.bin] "
                             "[--cut SECONDS] [--geocode] [--timeout SECONDS]\n");
        return kExitUsage;
    }
    return 0;
}

// Writes the image next to the target and renames it, so a dump is either
// whole or absent.
bool WriteDump(const std::string& path, std::span<const uint8_t> image, std::string& error) {
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        out.flush();
        if (!out) {
            error = "cannot write " + temp;
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + temp + " to " + path;
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

int RunRead(CliContext& context, const std::vector<std::string>& args) {
    ReadArgs parsed;
    if (const int status = ParseReadArgs(args, parsed); status != 0) return status;

    const SettingsFileState settings = LoadCliSettings(context);

    Session session;
    session.portList.push_back(PortEntry{"command line", parsed.port, parsed.port});
    // A cut time of 0 is valid: every fix becomes a track of its own.
    session.cutSeconds = parsed.cut >= 0 ? parsed.cut : settings.settings.trackCutTime;
    if (parsed.timeoutSeconds > 0) session.options.replyTimeoutMs = static_cast<int>(parsed.timeoutSeconds * 1000);

    std::unique_ptr<GeocodingClient> geocoder;
    if (parsed.geocode) {
        const GeocodingConfig config = GeocodingConfigFrom(settings.services);
        geocoder = std::make_unique<GeocodingClient>(config);
        if (geocoder->OpenInternet() && geocoder->CheckConnectivity()) {
            session.geocodingEnabled = 1;
            session.geocoder = geocoder.get();
        } else {
            std::fprintf(stderr, "mileledger-cli: no connection to %s; addresses are not looked up\n",
                         config.connectivityCheckUrl.c_str());
        }
    }

    TerminalAcquireUi ui(stderr, nullptr, TerminalAcquireUi::Answer::No, isatty(STDERR_FILENO) == 1);
    ReadLogFlow flow(session, ui);
    bool dumped = false;
    std::string dumpError;
    if (!parsed.dump.empty()) {
        flow.SetLogImageSink([&](std::span<const uint8_t> image) {
            dumped = WriteDump(parsed.dump, image, dumpError);
        });
    }
    const ReadLogOutcome outcome = RunCliDownload(flow);

    if (!parsed.dump.empty()) {
        if (!dumpError.empty()) return Fail(dumpError);
        if (!dumped && outcome != ReadLogOutcome::Cancelled) {
            std::fprintf(stderr, "mileledger-cli: no memory image to dump (%s)\n",
                         Succeeded(outcome) ? "the logger hands over records, not its memory"
                                            : std::string(ToString(outcome)).c_str());
        }
    }
    if (!Succeeded(outcome)) return Fail("read failed: " + std::string(ToString(outcome)));

    const std::string lines = FormatTrackLines(session.tracks);
    if (std::fwrite(lines.data(), 1, lines.size(), stdout) != lines.size() || std::fflush(stdout) != 0) {
        return Fail("cannot write the tracks to standard output");
    }
    if (!parsed.out.empty()) {
        const SaveResult saved = SaveTrackFile(parsed.out, settings.settings, session.tracks, false);
        if (!saved.ok) return Fail(saved.error);
        if (!saved.warning.empty()) std::fprintf(stderr, "mileledger-cli: %s\n", saved.warning.c_str());
    }
    std::fprintf(stderr, "mileledger-cli: %zu fixes, %zu tracks\n", session.fixes.size(), session.tracks.size());
    return 0;
}

const CommandRegistration registration(
    "read",
    "read --port PORT [--out FILE.dat] [--dump FILE.bin] [--cut SECONDS] [--geocode] [--timeout SECONDS]\n"
    "                 download the logger's log; tracks on standard output",
    RunRead);

}  // namespace

}  // namespace ml::cli
