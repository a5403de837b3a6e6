#pragma once
// Plays a download state machine (MtkDownload, PhlxExchange) against a
// logger with nothing but a byte queue between them: what the program writes
// goes to `answer` (the simulator's device model, or recorded reply bytes),
// whose bytes come back in reads of at most `readSize`; an empty queue is the
// silence time-out.
#include <algorithm>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "protocol/OutgoingCommand.h"

namespace ml::test {

using Answer = std::function<std::string(const std::string& command)>;

// Every command the program sent, in order, up to the one queued last.
template <typename Machine>
std::vector<OutgoingCommand> RunDownload(Machine& machine, const Answer& answer, size_t readSize = 4096) {
    std::vector<OutgoingCommand> sent;
    std::string line;
    for (int step = 0; step < 1000000 && !machine.Finished(); ++step) {
        OutgoingCommand out = machine.TakeOutgoing();
        if (!out.empty()) {
            if (out.purgeFirst) line.clear();
            line += answer(out.bytes);
            sent.push_back(std::move(out));
        }
        if (line.empty()) {
            machine.OnSilence();
            continue;
        }
        const size_t n = std::min(readSize, line.size());
        machine.Feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(line.data()), n));
        line.erase(0, n);
    }
    OutgoingCommand last = machine.TakeOutgoing();
    if (!last.empty()) sent.push_back(std::move(last));
    return sent;
}

inline std::string Joined(const std::vector<OutgoingCommand>& sent) {
    std::string all;
    for (const auto& c : sent) all += c.bytes;
    return all;
}

template <typename Machine>
void FeedText(Machine& machine, const std::string& text) {
    machine.Feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace ml::test
