// read --port (PORT|auto) [--out FILE.dat] [--dump FILE.bin] [--cut SECONDS]
//      [--geocode] [--timeout SECONDS] [--full] [--car REGNO] [--ledger PATH]
// The read-log flow without windows: downloads the logger's log, prints the
// tracks as track lines on standard output, and optionally saves them. What
// the ledger knows of the logger (the car of --car or CAR_NUM) spares
// reading again what it holds; the ledger itself is not changed (that is
// `ledger read`).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "acquire/ReadLogFlow.h"
#include "acquire/TerminalAcquireUi.h"
#include "core/TextFormat.h"
#include "store/ledger/LedgerMemoryBook.h"
#include "store/platform/FileIo.h"
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
    int cut = -1;  // -1: TRACK_CUT_TIME of the settings
    bool geocode = false;
    double timeoutSeconds = 0;  // 0: the flow's default
    bool full = false;
    std::string car;     // empty: CAR_NUM of the settings
    std::string ledger;  // empty: the usual place
};

constexpr const char* kReadUsage =
    "read --port (PORT|auto) [--out FILE.dat] [--dump FILE.bin] [--cut SECONDS] [--geocode] [--timeout SECONDS] "
    "[--full] [--car REGNO] [--ledger PATH]";

bool ParseSeconds(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && *end == '\0' && value > 0 && value <= 3600;
}

int ParseReadArgs(const std::vector<std::string>& args, ReadArgs& parsed) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string value;
        if (arg == "--geocode" || arg == "--full") {
            (arg == "--full" ? parsed.full : parsed.geocode) = true;
            continue;
        }
        if (arg != "--port" && arg != "--out" && arg != "--dump" && arg != "--cut" && arg != "--timeout" &&
            arg != "--car" && arg != "--ledger") {
            std::fprintf(stderr, "mileledger-cli: read: unknown argument '%s'\n", arg.c_str());
            return kExitUsage;
        }
        if (!TakeValue(args, i, value)) return kExitUsage;
        if (arg == "--port") {
            parsed.port = value;
        } else if (arg == "--out") {
            parsed.out = value;
        } else if (arg == "--dump") {
            parsed.dump = value;
        } else if (arg == "--car") {
            parsed.car = value;
        } else if (arg == "--ledger") {
            parsed.ledger = value;
        } else if (arg == "--cut") {
            char* end = nullptr;
            const long cut = std::strtol(value.c_str(), &end, 10);
            if (end == value.c_str() || *end != '\0' || cut < 0 || cut > 86400L * 366) {
                std::fprintf(stderr, "mileledger-cli: --cut needs a number of seconds, not '%s'\n", value.c_str());
                return kExitUsage;
            }
            parsed.cut = static_cast<int>(cut);
        } else if (!ParseSeconds(value, parsed.timeoutSeconds)) {
            std::fprintf(stderr, "mileledger-cli: --timeout needs seconds between 0 and 3600\n");
            return kExitUsage;
        }
    }
    if (parsed.port.empty()) {
        std::fprintf(stderr, "mileledger-cli: usage: %s\n", kReadUsage);
        return kExitUsage;
    }
    return 0;
}

int RunRead(CliContext& context, const std::vector<std::string>& args) {
    ReadArgs parsed;
    if (const int status = ParseReadArgs(args, parsed); status != 0) return status;

    const SettingsFileState settings = LoadCliSettings(context, true);

    Session session;
    if (!ChoosePort(parsed.port, session)) return Fail("read failed: no logger found");
    // A cut time of 0 is valid: every fix becomes a track of its own.
    session.cutSeconds = parsed.cut >= 0 ? parsed.cut : settings.settings.trackCutTime;
    if (parsed.timeoutSeconds > 0) session.options.replyTimeoutMs = static_cast<int>(parsed.timeoutSeconds * 1000);

    Geocoder geocoder;
    if (parsed.geocode) {
        geocoder = SetUpGeocoder(settings.services);
        if (geocoder.online) {
            session.geocodingEnabled = 1;
            session.geocoder = geocoder.client.get();
        } else {
            std::fprintf(stderr, "mileledger-cli: no connection to %s; addresses are not looked up\n",
                         settings.services.connectivityCheckUrl.c_str());
        }
    }

    TerminalAcquireUi ui(stderr, nullptr, TerminalAcquireUi::Answer::No, isatty(STDERR_FILENO) == 1);
    ReadLogFlow flow(session, ui);
    flow.SetFullRead(parsed.full);
    // An existing ledger that knows the car tells what not to read again.
    std::unique_ptr<ledger::Ledger> ledger;
    std::unique_ptr<ledger::LedgerMemoryBook> book;
    const std::string car = parsed.car.empty() ? settings.settings.carNum : parsed.car;
    if (!parsed.full && !car.empty()) {
        std::string error;
        ledger = OpenExistingLedger(parsed.ledger, settings.services.ledgerUrl, error);
        if (ledger) {
            book = std::make_unique<ledger::LedgerMemoryBook>(*ledger, car);
            flow.SetMemoryBook(book.get());
        } else if (!error.empty()) {
            std::fprintf(stderr, "mileledger-cli: %s; reading everything\n", error.c_str());
        }
    }
    std::vector<uint8_t> image;
    flow.SetMtkSink([&](const MtkDownloadResult& result) { image.assign(result.image.begin(), result.image.end()); });
    const ReadLogOutcome outcome = RunCliDownload(flow);
    bool dumped = false;
    std::string dumpError;
    if (!parsed.dump.empty() && Succeeded(outcome) && !image.empty()) {
        // Written whole through a temporary file of its own, as a track file
        // is: a link planted at a fixed temporary name cannot redirect it.
        dumped = WriteFileAtomically(
            parsed.dump, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), dumpError);
    }

    // A failed dump is reported but keeps nothing else from being saved.
    int status = 0;
    if (!dumpError.empty()) {
        status = Fail(dumpError);
    } else if (!parsed.dump.empty() && !dumped && outcome != ReadLogOutcome::Cancelled) {
        std::fprintf(stderr, "mileledger-cli: no memory image to dump (%s)\n",
                     Succeeded(outcome) ? "the logger hands over records, not its memory"
                                        : std::string(ToString(outcome)).c_str());
    }
    if (!Succeeded(outcome)) return Fail("read failed: " + std::string(ToString(outcome)));

    // The download is saved before anything is printed: a closed or full
    // standard output must not cost the file.
    if (!parsed.out.empty()) {
        const SaveResult saved = SaveTrackFile(parsed.out, settings.settings, session.tracks, false);
        if (!saved.ok) return Fail(saved.error);
        if (!saved.warning.empty()) std::fprintf(stderr, "mileledger-cli: %s\n", saved.warning.c_str());
    }
    std::fprintf(stderr, "mileledger-cli: %zu fixes, %zu tracks%s\n", session.fixes.size(), session.tracks.size(),
                 flow.lossReport().empty() ? "" : "; the download was incomplete");
    const std::string lines = FormatTrackLines(session.tracks);
    if (std::fwrite(lines.data(), 1, lines.size(), stdout) != lines.size() || std::fflush(stdout) != 0) {
        return Fail("cannot write the tracks to standard output");
    }
    if (status == 0 && !flow.lossReport().empty()) status = kExitIncomplete;
    return status;
}

const CommandRegistration registration("read",
                                       "read --port (PORT|auto) [--out FILE.dat] [--dump FILE.bin] [--cut SECONDS]\n"
                                       "                 [--geocode] [--timeout SECONDS] [--full] [--car REGNO] "
                                       "[--ledger PATH]\n"
                                       "                 download the logger's log; tracks on standard output",
                                       RunRead);

}  // namespace

}  // namespace ml::cli
