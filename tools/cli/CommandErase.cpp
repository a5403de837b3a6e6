// erase --port PORT [--yes]
// The erase-log flow without windows: clears the whole log memory of the
// logger on PORT after a question on the terminal (or --yes).
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "acquire/AcquireTexts.h"
#include "acquire/EraseLogFlow.h"
#include "acquire/TerminalAcquireUi.h"
#include "core/DiagLog.h"
#include "core/TextFormat.h"
#include "tools/cli/Cli.h"

namespace ml::cli {

namespace {

int RunErase(CliContext& context, const std::vector<std::string>& args) {
    LoadCliSettings(context, true);
    std::string port;
    bool yes = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--yes") {
            yes = true;
        } else if (args[i] == "--port" && i + 1 < args.size()) {
            port = args[++i];
        } else {
            std::fprintf(stderr, "mileledger-cli: usage: erase --port PORT [--yes]\n");
            return kExitUsage;
        }
    }
    if (port.empty()) {
        std::fprintf(stderr, "mileledger-cli: usage: erase --port PORT [--yes]\n");
        return kExitUsage;
    }
    // Erasing cannot be undone: without a terminal to ask on, only an
    // explicit --yes may do it.
    if (!yes && isatty(STDIN_FILENO) != 1) {
        return Fail("erase asks before it deletes the log; give --yes when no terminal is attached");
    }

    Session session;
    session.portList.push_back(PortEntry{"command line", port, port});
    session.selectedPort = 0;
    TerminalAcquireUi ui(stderr, stdin, yes ? TerminalAcquireUi::Answer::Yes : TerminalAcquireUi::Answer::Ask,
                         false);
    // The window's erase uses the port the last download left open; here
    // the port named on the command line stands in for it.
    if (!session.port.Open(port)) {
        DiagPrintf("erase: %s\n", session.port.lastError().c_str());
        ui.ShowMessage(Format(texts::kOpenFailed, port.c_str(), session.port.openFailure().c_str()),
                       texts::kErrorCaption);
        return Fail("erase failed: the port cannot be opened");
    }
    EraseLogFlow flow(session, ui);
    switch (flow.EraseLogCommand()) {
        case EraseOutcome::MtkErased:
            std::fprintf(stderr, "mileledger-cli: erase command sent (PMTK182 logger)\n");
            return 0;
        case EraseOutcome::PhlxErased:
            std::fprintf(stderr, "mileledger-cli: erase command sent (PHLX logger)\n");
            return 0;
        case EraseOutcome::Declined: return Fail("erase not confirmed; nothing was sent");
        case EraseOutcome::NoPort: return Fail("erase failed: no open port");
        case EraseOutcome::QueryFailed: return Fail("erase failed: the logger's model is unknown");
        case EraseOutcome::SendFailed: return Fail("erase failed: the command was not sent");
    }
    return kExitFailure;
}

const CommandRegistration registration("erase", "erase --port PORT [--yes]\n"
                                                "                 delete the whole log in the logger",
                                       RunErase);

}  // namespace

}  // namespace ml::cli
