#include "tools/cli/CliDownload.h"

#include <chrono>
#include <csignal>
#include <thread>

#include <cstdio>

#include <unistd.h>

#include "acquire/PortProbe.h"
#include "acquire/ReadLogWorker.h"
#include "store/ledger/LedgerLocation.h"
#include "store/ledger/LedgerUrl.h"

namespace ml::cli {

namespace {
volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }
}  // namespace

bool ChoosePort(const std::string& value, Session& session) {
    session.portList.clear();
    if (value != "auto") {
        session.portList.push_back(PortEntry{"command line", value, value});
        return true;
    }
    const std::vector<PortEntry> ports = EnumerateSerialPorts(session.discovery);
    const PortProbeResult probe = ProbePorts(ports);
    for (const std::string& note : probe.notes) std::fprintf(stderr, "mileledger-cli: %s\n", note.c_str());
    if (probe.found < 0) {
        std::fprintf(stderr, "mileledger-cli: no logger answered on %zu port(s)\n", ports.size());
        return false;
    }
    const PortEntry& found = ports[static_cast<size_t>(probe.found)];
    std::fprintf(stderr, "mileledger-cli: logger %s on %s\n", probe.loggerId.c_str(), found.devicePath.c_str());
    session.portList.push_back(found);
    return true;
}

std::unique_ptr<ledger::Ledger> OpenExistingLedger(const std::string& option, const std::string& settingsUrl,
                                                   std::string& error) {
    const std::string location = ledger::LedgerPath(option, settingsUrl);
    if (!ledger::IsPostgresLocation(location) && access(location.c_str(), F_OK) != 0) return nullptr;
    std::unique_ptr<ledger::Ledger> opened;
    const ledger::Status status = ledger::OpenLedger(location, ledger::LedgerUser(), opened);
    if (!status.ok()) error = status.message();
    return opened;
}

ReadLogOutcome RunCliDownload(ReadLogFlow& flow) {
    flow.StartReadLog(0);
    interrupted = 0;
    auto previous = std::signal(SIGINT, OnInterrupt);
    ReadLogWorker worker;
    worker.Start(flow);
    while (worker.Running()) {
        if (interrupted != 0) worker.Cancel();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const ReadLogOutcome outcome = worker.Join();
    std::signal(SIGINT, previous);
    return outcome;
}

}  // namespace ml::cli
