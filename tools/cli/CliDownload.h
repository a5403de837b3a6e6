#pragma once
// The read-log flow run to its end from the command line: the download on
// its worker, Ctrl-C cancelling it.
#include <memory>
#include <string>

#include "acquire/ReadLogFlow.h"
#include "store/ledger/Ledger.h"

namespace ml::cli {

// Makes the port of --port VALUE the session's only entry: the path as
// given, or for "auto" the first port that answers the model query among
// those the system lists and MILELEDGER_PORTS names (what was skipped and
// which port answered on stderr). False after a message when none answered.
bool ChoosePort(const std::string& value, Session& session);

// The year ledger of --ledger PATH (or the settings' LEDGER_URL, or its
// usual place) when there is one: a file that does not exist is not made
// here (null, no error); one that cannot be opened gives null and the
// reason.
std::unique_ptr<ledger::Ledger> OpenExistingLedger(const std::string& option, const std::string& settingsUrl,
                                                   std::string& error);

// Starts the flow on the session's first port and waits for its outcome.
ReadLogOutcome RunCliDownload(ReadLogFlow& flow);

}  // namespace ml::cli
