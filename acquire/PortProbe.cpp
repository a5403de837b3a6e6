#include "acquire/PortProbe.h"

#include <chrono>

#include "core/DiagLog.h"
#include "link/SentenceBuilder.h"
#include "link/platform/PortDiscovery.h"
#include "link/platform/SerialPort.h"
#include "protocol/LoggerModel.h"

namespace ml {

namespace {

using Clock = std::chrono::steady_clock;

// The answer to the model query within `deadline`, read until its line ends.
std::string Ask(SerialPort& port, Clock::time_point deadline) {
    const std::string query = BuildPhlxShortSentence("810");
    port.Purge();
    if (port.Write(query) != static_cast<long>(query.size())) return {};
    std::string reply;
    uint8_t chunk[512];
    while (reply.size() < 4096) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || port.WaitForInput(left) != SerialPort::WaitResult::Ready) break;
        const long n = port.Read(chunk, sizeof chunk);
        if (n <= 0) break;
        reply.append(reinterpret_cast<const char*>(chunk), static_cast<size_t>(n));
        const size_t answer = reply.find("$PHLX852");
        if (answer != std::string::npos && reply.find('\n', answer) != std::string::npos) break;
    }
    return reply;
}

}  // namespace

PortProbeResult ProbePorts(const std::vector<PortEntry>& ports, const PortProbeOptions& options,
                           const std::atomic<bool>* cancel) {
    PortProbeResult result;
    const auto end = Clock::now() + std::chrono::milliseconds(options.totalMs);
    for (size_t i = 0; i < ports.size(); ++i) {
        const PortEntry& entry = ports[i];
        if (!IsLoggerCandidate(entry)) continue;
        if (Clock::now() >= end || (cancel != nullptr && cancel->load())) break;
        if (const std::string user = PortInUseBy(entry, options.sysRoot); !user.empty()) {
            result.notes.push_back(entry.portName + ": " + user + " 사용 중이라 건너뜀");
            continue;
        }
        SerialPort port;
        if (!port.Open(entry.devicePath)) {
            // Held exclusively by another program, or gone.
            result.notes.push_back(entry.portName + ": " + port.openFailure());
            continue;
        }
        const std::string reply = Ask(port, std::min(end, Clock::now() + std::chrono::milliseconds(options.perPortMs)));
        const LoggerModel model = ClassifyModelReply(reply);
        DiagPrintf("probe %s: %s\n", entry.devicePath.c_str(),
                   model == LoggerModel::Failed ? "no logger" : reply.c_str());
        if (model != LoggerModel::Failed) {
            result.found = static_cast<int>(i);
            result.loggerId = LoggerIdOf(reply, model);
            break;
        }
    }
    return result;
}

}  // namespace ml
