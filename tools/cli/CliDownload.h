#pragma once
// The read-log flow run to its end from the command line: the download on
// its worker, Ctrl-C cancelling it.
#include "acquire/ReadLogFlow.h"

namespace ml::cli {

// Starts the flow on the session's first port and waits for its outcome.
ReadLogOutcome RunCliDownload(ReadLogFlow& flow);

}  // namespace ml::cli
