#pragma once
// The read-log flow run to its end from the command line: the download on
// its worker, Ctrl-C cancelling it.
#include "acquire/ReadLogFlow.h"

namespace ml::cli {

// Makes the port of --port VALUE the session's only entry: the path as
// given, or for "auto" the first port that answers the model query among
// those the system lists and MILELEDGER_PORTS names (what was skipped and
// which port answered on stderr). False after a message when none answered.
bool ChoosePort(const std::string& value, Session& session);

// Starts the flow on the session's first port and waits for its outcome.
ReadLogOutcome RunCliDownload(ReadLogFlow& flow);

}  // namespace ml::cli
