// ledger import and ledger read: a download into the ledger, from a file
// or straight from a logger, reported as "added N fixes, M trips rebuilt".
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "acquire/ReadLogFlow.h"
#include "acquire/TerminalAcquireUi.h"
#include "core/TextFormat.h"
#include "tools/cli/CliDownload.h"
#include "tools/cli/LedgerCli.h"

namespace ml::cli {

namespace {

bool ParseCut(const std::optional<std::string>& text, std::optional<int32_t>& cut, std::string& error) {
    if (!text) return true;
    char* end = nullptr;
    const long value = std::strtol(text->c_str(), &end, 10);
    if (end == text->c_str() || *end != '\0' || value < 0 || value > 86400L * 366) {
        error = "--cut needs a number of seconds, not '" + *text + "'";
        return false;
    }
    cut = static_cast<int32_t>(value);
    return true;
}

bool IsTrackFile(const std::string& path) {
    return path.size() >= 4 && (path.compare(path.size() - 4, 4, ".dat") == 0 || path.compare(path.size() - 4, 4, ".DAT") == 0);
}

int ImportAndReport(LedgerCommand& command, ledger::Ledger& opened, const std::string& car,
                    const ledger::ImportRequest& request) {
    ledger::ImportResult result;
    const ledger::Status status = opened.Import(car, command.Seed(car), request, result);
    if (!status.ok()) return LedgerFail(status);
    if (result.carAdded) std::fprintf(stderr, "mileledger-cli: car %s added from the settings\n", car.c_str());
    for (const std::string& warning : result.warnings) std::fprintf(stderr, "mileledger-cli: warning: %s\n", warning.c_str());
    return PrintOut(Format("added %lld fixes, %lld trips rebuilt\n", static_cast<long long>(result.added),
                           static_cast<long long>(result.tripsRebuilt)))
               ? 0
               : kExitFailure;
}

// The read-log flow as `read` runs it, keeping the bytes as received.
bool Download(const std::string& port, double timeoutSeconds, ledger::ImportRequest& request, std::string& error) {
    Session session;
    session.portList.push_back(PortEntry{"command line", port, port});
    if (timeoutSeconds > 0) session.options.replyTimeoutMs = static_cast<int>(timeoutSeconds * 1000);
    TerminalAcquireUi ui(stderr, nullptr, TerminalAcquireUi::Answer::No, isatty(STDERR_FILENO) == 1);
    ReadLogFlow flow(session, ui);
    flow.SetLogImageSink([&](std::span<const uint8_t> image) {
        request.kind = ledger::DownloadKind::MtkImage;
        request.raw.assign(image.begin(), image.end());
    });
    flow.SetPhlxRecordsSink([&](std::span<const uint8_t> records, int32_t timeBase) {
        request.kind = ledger::DownloadKind::PhlxRecords;
        request.raw.assign(records.begin(), records.end());
        request.detail = ledger::PhlxDetail(timeBase);
    });
    const ReadLogOutcome outcome = RunCliDownload(flow);
    if (!Succeeded(outcome)) {
        error = "read failed: " + std::string(ToString(outcome));
        return false;
    }
    request.source = port;
    return true;
}

}  // namespace

int RunLedgerImport(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    const auto car = args.Value("--car");
    const auto csv = args.Value("--fixes");
    if (!car || args.words().size() + (csv ? 1 : 0) != 1) {
        return LedgerUsage("import", "usage: ledger import (IMAGE.bin | FILE.dat | --fixes CSV) --car REGNO [--cut S]");
    }
    ledger::ImportRequest request;
    std::string error;
    if (!ParseCut(args.Value("--cut"), request.cutSeconds, error)) return Fail(error);
    request.source = csv ? *csv : args.words()[0];
    request.kind = csv ? ledger::DownloadKind::FixCsv
                       : IsTrackFile(request.source) ? ledger::DownloadKind::TrackFile : ledger::DownloadKind::MtkImage;
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(request.source, bytes, error)) return Fail(error);
    request.raw.assign(bytes.begin(), bytes.end());
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    return ImportAndReport(command, *opened, *car, request);
}

int RunLedgerRead(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    const auto port = args.Value("--port");
    const auto car = args.Value("--car");
    if (!port || !car || !args.words().empty()) {
        return LedgerUsage("read", "usage: ledger read --port PORT --car REGNO [--cut S] [--timeout SECONDS]");
    }
    ledger::ImportRequest request;
    std::string error;
    if (!ParseCut(args.Value("--cut"), request.cutSeconds, error)) return Fail(error);
    double timeout = 0;
    if (const auto text = args.Value("--timeout")) {
        char* end = nullptr;
        timeout = std::strtod(text->c_str(), &end);
        if (end == text->c_str() || *end != '\0' || timeout <= 0 || timeout > 3600) {
            return Fail("--timeout needs seconds between 0 and 3600");
        }
    }
    // The ledger is opened first: a ledger that is refused costs no download.
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    if (!Download(*port, timeout, request, error)) return Fail(error);
    return ImportAndReport(command, *opened, *car, request);
}

}  // namespace ml::cli
