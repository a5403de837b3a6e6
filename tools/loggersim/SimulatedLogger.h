#pragma once
// What the simulator's device side looks like to the pseudo-terminal loop:
// bytes the program sent go in, bytes the logger answers come out. Models do
// no I/O and keep no clock, so they can be driven byte for byte in tests.
#include <functional>
#include <string>
#include <string_view>

namespace ml::sim {

// Receives one human-readable line for the --verbose trace.
using SimTrace = std::function<void(const std::string& line)>;

class SimulatedLogger {
public:
    virtual ~SimulatedLogger() = default;

    // Takes the next bytes received from the program (any split: a sentence
    // may arrive over several calls) and returns everything the logger sends
    // in answer, in order. Empty when the logger stays quiet.
    virtual std::string Receive(std::string_view bytes) = 0;

    void SetTrace(SimTrace trace) { trace_ = std::move(trace); }

    // Counters for the --stats file, one "name value" line each.
    virtual std::string Stats() const { return {}; }

protected:
    void Trace(const std::string& line) const {
        if (trace_) trace_(line);
    }

private:
    SimTrace trace_;
};

}  // namespace ml::sim
