#pragma once
// What a protocol state machine wants written to the port next.
#include <string>

namespace ml {

struct OutgoingCommand {
    std::string bytes;        // empty: nothing to send
    bool purgeFirst = false;  // discard both port queues before writing
    bool empty() const { return bytes.empty(); }
};

}  // namespace ml
