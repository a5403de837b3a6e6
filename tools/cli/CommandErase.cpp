// erase --port (PORT|auto) [--yes] [--force] [--car REGNO] [--ledger PATH]
// The erase-log flow without windows: clears the whole log memory of the
// logger on PORT after a question on the terminal (or --yes), but only when
// everything it holds is in the ledger (the car of --car or CAR_NUM);
// --force erases anyway, after the same warning.
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "acquire/AcquireTexts.h"
#include "acquire/EraseLogFlow.h"
#include "acquire/TerminalAcquireUi.h"
#include "core/DiagLog.h"
#include "core/TextFormat.h"
#include "store/ledger/LedgerMemoryBook.h"
#include "tools/cli/Cli.h"
#include "tools/cli/CliDownload.h"

namespace ml::cli {

namespace {

constexpr const char* kUsage =
    "mileledger-cli: usage: erase --port (PORT|auto) [--yes] [--force] [--car REGNO] [--ledger PATH]\n";

int RunErase(CliContext& context, const std::vector<std::string>& args) {
    std::string port, car, ledgerOption;
    bool yes = false, force = false;
    bool carGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string* value = arg == "--port"     ? &port
                             : arg == "--car"    ? &car
                             : arg == "--ledger" ? &ledgerOption
                                                 : nullptr;
        if (arg == "--yes" || arg == "--force") {
            (arg == "--yes" ? yes : force) = true;
        } else if (value != nullptr && i + 1 < args.size()) {
            *value = args[++i];
            carGiven = carGiven || value == &car;
        } else {
            std::fputs(kUsage, stderr);
            return kExitUsage;
        }
    }
    if (port.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    // A wrong command line changes nothing: the settings file is made only now.
    const SettingsFileState settings = LoadCliSettings(context, true);
    if (!carGiven) car = settings.settings.carNum;
    // Erasing cannot be undone: without a terminal to ask on, only an
    // explicit --yes may do it.
    if (!yes && isatty(STDIN_FILENO) != 1) {
        return Fail("erase asks before it deletes the log; give --yes when no terminal is attached");
    }

    Session session;
    if (!ChoosePort(port, session)) return Fail("erase failed: no logger found");
    session.selectedPort = 0;
    const std::string path = session.portList.front().devicePath;
    TerminalAcquireUi ui(stderr, stdin, yes ? TerminalAcquireUi::Answer::Yes : TerminalAcquireUi::Answer::Ask, false);
    // The window's erase uses the port the last download left open; here
    // the port named on the command line stands in for it.
    if (!session.port.Open(path)) {
        DiagPrintf("erase: %s\n", session.port.lastError().c_str());
        ui.ShowMessage(Format(texts::kOpenFailed, path.c_str(), session.port.openFailure().c_str()),
                       texts::kErrorCaption);
        return Fail("erase failed: the port cannot be opened");
    }
    EraseLogFlow flow(session, ui);
    flow.SetForce(force);
    std::unique_ptr<ledger::LedgerMemoryBook> book;
    std::string error;
    const std::unique_ptr<ledger::Ledger> ledger =
        car.empty() ? nullptr : OpenExistingLedger(ledgerOption, settings.services.ledgerUrl, error);
    if (!error.empty()) return Fail(error);
    if (ledger) {
        book = std::make_unique<ledger::LedgerMemoryBook>(*ledger, car);
        flow.SetMemoryBook(book.get());
    }
    switch (flow.EraseLogCommand()) {
        case EraseOutcome::MtkErased:
            std::fprintf(stderr, "mileledger-cli: erase command sent (PMTK182 logger)\n");
            return 0;
        case EraseOutcome::PhlxErased:
            std::fprintf(stderr, "mileledger-cli: erase command sent (PHLX logger)\n");
            return 0;
        case EraseOutcome::Declined: return Fail("erase not confirmed; nothing was erased");
        case EraseOutcome::NoPort: return Fail("erase failed: no open port");
        case EraseOutcome::QueryFailed: return Fail("erase failed: the logger's contents are unknown");
        case EraseOutcome::Refused:
            return Fail("erase refused: the logger holds data the ledger lacks (`ledger read` first, or --force)");
        case EraseOutcome::SendFailed: return Fail("erase failed: the command was not sent");
    }
    return kExitFailure;
}

const CommandRegistration registration("erase",
                                       "erase --port (PORT|auto) [--yes] [--force] [--car REGNO] [--ledger PATH]\n"
                                       "                 delete the whole log in the logger once the ledger holds it",
                                       RunErase);

}  // namespace

}  // namespace ml::cli
