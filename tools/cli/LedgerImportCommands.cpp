// ledger import and ledger read: a download into the ledger, from a file
// or straight from a logger, reported as "added N fixes, M trips rebuilt".
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "acquire/ReadLogFlow.h"
#include "acquire/TerminalAcquireUi.h"
#include "core/TextFormat.h"
#include "store/ledger/LedgerMemoryBook.h"
#include "store/platform/FileIo.h"
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
    return path.size() >= 4 &&
           (path.compare(path.size() - 4, 4, ".dat") == 0 || path.compare(path.size() - 4, 4, ".DAT") == 0);
}

int ImportAndReport(LedgerCommand& command, ledger::Ledger& opened, const std::string& car,
                    const ledger::ImportRequest& request) {
    ledger::ImportResult result;
    const ledger::Status status = opened.Import(car, command.Seed(car), request, result);
    if (!status.ok()) return LedgerFail(status);
    if (result.carAdded) std::fprintf(stderr, "mileledger-cli: car %s added from the settings\n", car.c_str());
    for (const std::string& warning : result.warnings)
        std::fprintf(stderr, "mileledger-cli: warning: %s\n", warning.c_str());
    if (request.partial) {
        std::fprintf(stderr,
                     "mileledger-cli: the download was cut short; what arrived is kept as download %lld, the next "
                     "`ledger read` goes on from there (`ledger import --download %lld --car %s` takes its fixes "
                     "now)\n",
                     static_cast<long long>(result.downloadId), static_cast<long long>(result.downloadId), car.c_str());
    }
    return PrintOut(Format("added %lld fixes, %lld trips rebuilt\n", static_cast<long long>(result.added),
                           static_cast<long long>(result.tripsRebuilt)))
               ? 0
               : kExitFailure;
}

// The read-log flow as `read` runs it, reading only what the ledger lacks
// of the car's logger and keeping the bytes as received, also of a download
// cut short (`request.partial`). False after a message when nothing came.
bool Download(const std::string& port, double timeoutSeconds, bool full, ledger::Ledger& opened, const std::string& car,
              ledger::ImportRequest& request, ReadLogOutcome& outcome) {
    Session session;
    if (!ChoosePort(port, session)) {
        Fail("read failed: no logger found");
        return false;
    }
    if (timeoutSeconds > 0) session.options.replyTimeoutMs = static_cast<int>(timeoutSeconds * 1000);
    TerminalAcquireUi ui(stderr, nullptr, TerminalAcquireUi::Answer::No, isatty(STDERR_FILENO) == 1);
    ReadLogFlow flow(session, ui);
    ledger::LedgerMemoryBook book(opened, car);
    flow.SetMemoryBook(&book);
    flow.SetFullRead(full);
    const std::string source = session.portList.front().devicePath;
    bool received = false;
    flow.SetMtkSink([&](const MtkDownloadResult& result) {
        request = ledger::ImportRequestOf(result, source);
        received = true;
    });
    flow.SetPhlxSink([&](const PhlxDownloadResult& result) {
        request = ledger::ImportRequestOf(result, source);
        received = true;
    });
    outcome = RunCliDownload(flow);
    if (!received) {
        Fail("read failed: " + std::string(ToString(outcome)));
        return false;
    }
    return true;
}

// ledger import --download ID --car REGNO: a download cut short, taken in.
int ImportKept(LedgerCommand& command, const std::string& car, const std::string& idText) {
    char* end = nullptr;
    const long long id = std::strtoll(idText.c_str(), &end, 10);
    if (end == idText.c_str() || *end != '\0' || id <= 0) return Fail("--download needs a download number");
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    ledger::ImportResult result;
    if (const ledger::Status status = opened->ImportKept(car, id, result); !status.ok()) return LedgerFail(status);
    return PrintOut(Format("added %lld fixes, %lld trips rebuilt\n", static_cast<long long>(result.added),
                           static_cast<long long>(result.tripsRebuilt)))
               ? 0
               : kExitFailure;
}

}  // namespace

int RunLedgerImport(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    const auto car = args.Value("--car");
    const auto csv = args.Value("--fixes");
    if (const auto kept = args.Value("--download"); car && kept && !csv && args.words().empty()) {
        return ImportKept(command, *car, *kept);
    }
    if (!car || args.words().size() + (csv ? 1 : 0) != 1) {
        return LedgerUsage("import",
                           "usage: ledger import (IMAGE.bin | FILE.dat | --fixes CSV | --download ID) --car REGNO "
                           "[--cut S]");
    }
    ledger::ImportRequest request;
    std::string error;
    if (!ParseCut(args.Value("--cut"), request.cutSeconds, error)) return Fail(error);
    request.source = csv ? *csv : args.words()[0];
    request.kind = csv                           ? ledger::DownloadKind::FixCsv
                   : IsTrackFile(request.source) ? ledger::DownloadKind::TrackFile
                                                 : ledger::DownloadKind::MtkImage;
    if (ReadFileBytes(request.source, request.raw, error) != ReadStatus::Ok) return Fail(error);
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    return ImportAndReport(command, *opened, *car, request);
}

int RunLedgerRead(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    const auto port = args.Value("--port");
    const auto car = args.Value("--car");
    if (!port || !car || !args.words().empty()) {
        return LedgerUsage("read",
                           "usage: ledger read --port (PORT|auto) --car REGNO [--cut S] [--timeout SECONDS] [--full]");
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
    const std::optional<int32_t> cut = request.cutSeconds;
    ReadLogOutcome outcome = ReadLogOutcome::NoPortSelected;
    if (!Download(*port, timeout, args.Has("--full"), *opened, *car, request, outcome)) return kExitFailure;
    request.cutSeconds = cut;
    const int status = ImportAndReport(command, *opened, *car, request);
    if (status != 0 || !request.partial) return status;
    return Succeeded(outcome) ? kExitIncomplete : kExitFailure;
}

}  // namespace ml::cli
