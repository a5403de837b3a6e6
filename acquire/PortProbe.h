#pragma once
// Finds the logger among the listed ports: each port worth asking
// (IsLoggerCandidate) gets the model query "$PHLX810", one after the other,
// each with a short time limit and all of them within one limit, until one
// answers as a logger. A port another program has open is skipped with a
// note and not opened. Used by the connect dialog and `--port auto`; runs
// on any thread and touches only the ports it probes.
#include <atomic>
#include <string>
#include <vector>

#include "link/PortEntry.h"

namespace ml {

struct PortProbeOptions {
    int totalMs = 3000;   // never longer than this in all
    int perPortMs = 600;  // a logger answers within a few dozen ms
    std::string sysRoot = "/sys";
};

struct PortProbeResult {
    int found = -1;                  // index of the first port that answered; -1: none
    std::string loggerId;            // the name it gave (LoggerIdOf)
    std::vector<std::string> notes;  // ports skipped and why: "ttyUSB1: minicom (pid 812) 사용 중"
};

PortProbeResult ProbePorts(const std::vector<PortEntry>& ports, const PortProbeOptions& options = {},
                           const std::atomic<bool>* cancel = nullptr);

}  // namespace ml
