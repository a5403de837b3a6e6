#include "store/ledger/LedgerMemoryBook.h"

#include "core/DiagLog.h"
#include "core/TextFormat.h"

namespace ml::ledger {

KnownMemory LedgerMemoryBook::Known(LoggerModel kind, const std::string& loggerId) {
    std::optional<LoggerMemory> memory;
    FixList fixes;
    const Status status =
        ledger_.LoggerMemoryOf(regNo_, loggerId, memory, kind == LoggerModel::Phlx ? &fixes : nullptr);
    KnownMemory known;
    if (!status.ok()) {
        error_ = status.message();
        DiagPrintf("ledger: %s\n", error_.c_str());
        return known;
    }
    if (!memory) return known;
    known.image = std::move(memory->image);
    known.importedBytes = static_cast<uint32_t>(std::min<int64_t>(memory->importedBytes, known.image.size()));
    for (const KeptLog& log : memory->logs) {
        known.logs.push_back({{log.index, log.count}, log.imported, log.firstTime, log.lastTime});
    }
    known.logFixes = std::move(fixes);
    return known;
}

void LedgerMemoryBook::Erased(LoggerModel, const std::string& loggerId) {
    const Status status = ledger_.LoggerErased(regNo_, loggerId);
    if (status.ok()) return;
    error_ = status.message();
    DiagPrintf("ledger: %s\n", error_.c_str());
}

namespace {
ImportRequest RequestFrom(DownloadKind kind, const std::string& source, const std::string& loggerId, bool partial,
                          std::span<const uint8_t> raw) {
    ImportRequest request;
    request.kind = kind;
    request.source = source;
    request.loggerId = loggerId;
    request.partial = partial;
    request.raw.assign(raw.begin(), raw.end());
    return request;
}
}  // namespace

ImportRequest ImportRequestOf(const MtkDownloadResult& result, const std::string& source) {
    ImportRequest request =
        RequestFrom(DownloadKind::MtkImage, source, result.loggerId, result.partial, result.received.bytes);
    // A full read replaces what was known; an incremental one is placed
    // into it.
    request.detail = Format("read=%s;ranges=%s;intact=%u", result.received.incremental ? "incremental" : "full",
                            FormatRanges(result.received.ranges).c_str(), result.received.intactBytes);
    return request;
}

ImportRequest ImportRequestOf(const PhlxDownloadResult& result, const std::string& source) {
    ImportRequest request =
        RequestFrom(DownloadKind::PhlxRecords, source, result.loggerId, result.partial, result.records);
    std::string logs;
    for (const PhlxLogRead& log : result.logs) {
        if (!logs.empty()) logs += ',';
        logs += Format("%u:%u:%u", log.entry.logIndex, log.entry.recordCount, log.records);
    }
    request.detail = PhlxDetail(result.timeBase) + ";logs=" + logs;
    return request;
}

}  // namespace ml::ledger
