#pragma once
// The one diagnostic log: decoder dump, protocol traces, track build lines.
// Off by default. The core never writes anywhere itself; the program installs
// a sink (stderr) when it is asked for with --verbose or MILELEDGER_DEBUG=1.
#include <functional>
#include <string>
#include <string_view>

namespace ml {

using DiagSink = std::function<void(std::string_view line)>;

// Installs the sink (an empty function turns the log off). Not thread-safe:
// call it once at start-up, before any worker runs.
void SetDiagSink(DiagSink sink);

// True when a sink is installed; callers test it before formatting anything
// costly, so a disabled log costs one branch.
bool DiagEnabled();

// Writes text to the sink as given (callers include their own line ends).
void DiagWrite(std::string_view text);

// printf-style convenience; does nothing when the log is off.
void DiagPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace ml
