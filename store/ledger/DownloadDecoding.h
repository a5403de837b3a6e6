#pragma once
// A download's raw bytes read back into fixes, by kind: the ledger keeps
// the bytes and decodes them itself, so what it stores always comes from
// what it kept.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/ImportFixes.h"
#include "core/ledger/LedgerTypes.h"
#include "store/ledger/LedgerStatus.h"

namespace ml::ledger {

struct DecodedDownload {
    std::vector<LedgerFix> fixes;             // real times, one per second, time order
    std::optional<TrackFileFixes> trackFile;  // track files: estimated fixes per track instead
    int64_t fixCount = 0;
    std::vector<std::string> warnings;  // what was left out, and why
};

// Invalid (with the reason) when the bytes are not of that kind at all.
Status DecodeDownload(DownloadKind kind, std::span<const uint8_t> raw, std::string_view detail, DecodedDownload& out);

}  // namespace ml::ledger
