#pragma once
// What the flows know of a logger from earlier downloads, and what they
// hand over of this one, so that a download reads only what is new, a
// download cut short is kept and continued, and an erase deletes nothing
// that is not stored. The command-line tool and the desktop program keep
// it in the year ledger (store/ledger/LedgerMemoryBook.h); without a book
// every download reads everything and every erase is refused.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "protocol/LoggerModel.h"
#include "protocol/MtkDownload.h"
#include "protocol/PhlxExchange.h"

namespace ml {

// A PHLX log whose records are stored.
struct KnownLog {
    HistoryEntry entry;
    bool imported = false;  // its fixes are in the ledger (not only its bytes)
    int64_t firstTime = 0;  // time span of its fixes
    int64_t lastTime = 0;
};

struct KnownMemory {
    std::vector<uint8_t> image;  // MTK: the memory from address 0 as far as known
    uint32_t importedBytes = 0;  // MTK: the leading bytes whose fixes are in the ledger
    std::vector<KnownLog> logs;  // PHLX
    FixList logFixes;            // PHLX: the fixes of those logs, for the lists
};

class LoggerMemoryBook {
public:
    virtual ~LoggerMemoryBook() = default;
    // Empty when nothing is known of the logger. Called on the worker.
    virtual KnownMemory Known(LoggerModel kind, const std::string& loggerId) = 0;
    // The erase-log flow erased the logger: its memory is empty now.
    virtual void Erased(LoggerModel kind, const std::string& loggerId) = 0;
};

// What an MTK download hands over, complete or cut short (`partial`:
// fewer bytes than the logger holds, or a piece lost on the way). Valid
// during the call only.
struct MtkDownloadResult {
    std::string loggerId;
    bool partial = false;
    std::span<const uint8_t> image;  // the whole memory as now known (for a dump)
    MtkReceived received;            // the pieces read (for the ledger)
};

// What a PHLX download hands over; `records` are 32-byte records as
// received, `logs` the logs among them that came whole, in order.
struct PhlxDownloadResult {
    std::string loggerId;
    bool partial = false;
    std::span<const uint8_t> records;
    int32_t timeBase = 0;
    std::vector<PhlxLogRead> logs;
};

}  // namespace ml
