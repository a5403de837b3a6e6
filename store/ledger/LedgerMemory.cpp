// What the ledger knows of each logger's memory, brought up to date by every
// download (LedgerImport.cpp), read by the download and erase flows, and
// the downloads that were cut short taken in when the user asks.
//
// Detail texts of downloads from a logger:
//   MTK   "read=full|incremental;ranges=START-END,...;intact=BYTES": the raw
//         bytes are the pieces read, one after the other; `intact` is how
//         far from address 0 the memory they make is right.
//   PHLX  "timebase=SECONDS;logs=INDEX:COUNT:RECORDS,...": the logs whose
//         records came whole, in the order of the raw records.
#include <algorithm>
#include <charconv>
#include <ctime>
#include <map>

#include "core/TextFormat.h"
#include "protocol/MtkReadPlan.h"
#include "protocol/PhlxRecord.h"
#include "store/ledger/DownloadDecoding.h"
#include "store/ledger/Ledger.h"
#include "store/ledger/LedgerTxSteps.h"

namespace ml::ledger {

namespace {

struct LogRead {
    uint32_t index = 0, count = 0, records = 0;
};

std::optional<std::vector<LogRead>> ParseLogsRead(std::string_view text) {
    std::vector<LogRead> logs;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at < end) {
        LogRead l;
        uint32_t* fields[] = {&l.index, &l.count, &l.records};
        for (size_t i = 0; i < 3; ++i) {
            const auto [next, error] = std::from_chars(at, end, *fields[i]);
            if (error != std::errc()) return std::nullopt;
            at = next;
            const char expected = i < 2 ? ':' : ',';
            if (at < end && *at != expected) return std::nullopt;
            if (at < end) ++at;
            if (i < 2 && at >= end) return std::nullopt;
        }
        logs.push_back(l);
    }
    return logs;
}

uint32_t ParseCount(std::optional<std::string_view> text, uint32_t otherwise) {
    uint32_t value = 0;
    if (!text) return otherwise;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    return error == std::errc() && end == text->data() + text->size() ? value : otherwise;
}

void SortByTime(std::vector<LedgerFix>& fixes) {
    std::stable_sort(fixes.begin(), fixes.end(),
                     [](const LedgerFix& a, const LedgerFix& b) { return a.time < b.time; });
    fixes.erase(std::unique(fixes.begin(), fixes.end(),
                            [](const LedgerFix& a, const LedgerFix& b) { return a.time == b.time; }),
                fixes.end());
}

// The fixes of `records` records from `first` on in a PHLX download, as the
// logger gave them (its own distance included).
Status LogFixes(const Download& download, uint32_t first, uint32_t records, FixList& fixes) {
    const size_t from = size_t{first} * kPhlxRecordSize;
    const size_t to = from + size_t{records} * kPhlxRecordSize;
    const std::string_view baseText = DetailValue(download.detail, "timebase").value_or("");
    int32_t base = 0;
    const auto [end, error] = std::from_chars(baseText.data(), baseText.data() + baseText.size(), base);
    if (to > download.raw.size() || error != std::errc() || baseText.empty()) {
        return Status::Invalid(
            Format("다운로드 %lld에서 로그의 기록을 읽을 수 없습니다", static_cast<long long>(download.id)));
    }
    for (size_t at = from; at < to; at += kPhlxRecordSize) {
        fixes.push_back(ParsePhlxRecord(std::span<const uint8_t>(download.raw).subspan(at, kPhlxRecordSize), base));
    }
    return Status::Ok();
}

// The fixes of the kept logs chosen by `take`, from the downloads that hold
// them, in time order.
template <typename Take>
Status KeptLogFixes(LedgerTx& tx, const LoggerMemory& memory, Take take, FixList& fixes) {
    std::map<int64_t, Download> downloads;
    for (const KeptLog& log : memory.logs) {
        if (!take(log)) continue;
        auto found = downloads.find(log.downloadId);
        if (found == downloads.end()) {
            std::optional<Download> d;
            ML_LEDGER_TRY(tx.GetDownload(log.downloadId, d));
            if (!d) return Status::Invalid(Format("다운로드 %lld가 없습니다", static_cast<long long>(log.downloadId)));
            found = downloads.emplace(log.downloadId, std::move(*d)).first;
        }
        ML_LEDGER_TRY(LogFixes(found->second, log.firstRecord, log.records, fixes));
    }
    std::stable_sort(fixes.begin(), fixes.end(),
                     [](const FixRecord& a, const FixRecord& b) { return a.time < b.time; });
    return Status::Ok();
}

}  // namespace

std::optional<std::string_view> DetailValue(std::string_view detail, std::string_view key) {
    while (!detail.empty()) {
        const size_t semicolon = detail.find(';');
        const std::string_view item = detail.substr(0, semicolon);
        if (item.size() > key.size() && item.substr(0, key.size()) == key && item[key.size()] == '=') {
            return item.substr(key.size() + 1);
        }
        if (semicolon == std::string_view::npos) break;
        detail.remove_prefix(semicolon + 1);
    }
    return std::nullopt;
}

bool IsMtkPieces(const ImportRequest& request) {
    return request.kind == DownloadKind::MtkImage && !request.loggerId.empty() &&
           DetailValue(request.detail, "ranges").has_value();
}

bool KeepsLoggerMemory(const ImportRequest& request) {
    return IsMtkPieces(request) || (request.kind == DownloadKind::PhlxRecords && !request.loggerId.empty());
}

Status AssembleMtkPieces(const std::optional<LoggerMemory>& memory, const ImportRequest& request,
                         std::vector<uint8_t>& image, uint32_t& intact) {
    const auto ranges = ParseRanges(DetailValue(request.detail, "ranges").value_or(""));
    if (!ranges) return Status::Invalid("다운로드의 읽은 범위를 알 수 없습니다: " + request.detail);
    const bool incremental = DetailValue(request.detail, "read") == "incremental";
    image.clear();
    if (incremental) {
        // The pieces were read against what the ledger knew; what overlaps
        // it must still say the same.
        if (!memory || !AgreesWithKnown(memory->image, *ranges, request.raw)) {
            return Status::Invalid("로거 " + request.loggerId +
                                   "의 메모리가 원장에 있는 것과 맞지 않습니다. 전체를 다시 읽어 주십시오");
        }
        image = memory->image;
    }
    if (!ApplyReads(image, *ranges, request.raw)) {
        return Status::Invalid("다운로드의 바이트가 읽은 범위와 맞지 않습니다: " + request.detail);
    }
    intact = std::min(ParseCount(DetailValue(request.detail, "intact"), static_cast<uint32_t>(image.size())),
                      static_cast<uint32_t>(image.size()));
    return Status::Ok();
}

Status UpdateLoggerMemory(LedgerTx& tx, const Download& download, const std::optional<LoggerMemory>& memory,
                          const std::vector<uint8_t>& image, uint32_t intact, std::vector<LedgerFix>& fixes) {
    LoggerMemory next = memory.value_or(LoggerMemory{});
    next.carId = download.carId;
    next.loggerId = download.loggerId;
    next.kind = download.kind;
    next.downloadId = download.id;
    next.changedAt = download.at;
    if (download.kind == DownloadKind::MtkImage) {
        next.image.assign(image.begin(), image.begin() + intact);
        next.logs.clear();
        const int64_t before = memory ? std::min<int64_t>(memory->importedBytes, memory->image.size()) : 0;
        if (!download.partial) {
            next.importedBytes = intact;
        } else if (DetailValue(download.detail, "read") == "incremental") {
            next.importedBytes = std::min<int64_t>(before, intact);
        } else {
            // A full read cut short: what was imported before still counts
            // where the memory reads the same.
            const ByteRange imported[] = {{0, static_cast<uint32_t>(std::min<int64_t>(before, intact))}};
            const bool same = memory && AgreesWithKnown(next.image, imported, memory->image);
            next.importedBytes = same ? imported[0].end : 0;
        }
        return tx.PutLoggerMemory(next);
    }
    const auto reads = ParseLogsRead(DetailValue(download.detail, "logs").value_or(""));
    if (!reads) return Status::Invalid("다운로드의 로그 목록을 알 수 없습니다: " + download.detail);
    if (!download.partial) {
        // Logs kept from downloads cut short come in with this one.
        FixList pending;
        ML_LEDGER_TRY(KeptLogFixes(
            tx, next, [](const KeptLog& l) { return !l.imported; }, pending));
        if (!pending.empty()) {
            const std::vector<LedgerFix> more = ToLedgerFixes(pending);
            fixes.insert(fixes.end(), more.begin(), more.end());
            SortByTime(fixes);
        }
        for (KeptLog& log : next.logs) log.imported = true;
    }
    uint32_t first = 0;
    for (const LogRead& read : *reads) {
        FixList logFixes;
        ML_LEDGER_TRY(LogFixes(download, first, read.records, logFixes));
        std::sort(logFixes.begin(), logFixes.end(),
                  [](const FixRecord& a, const FixRecord& b) { return a.time < b.time; });
        std::erase_if(next.logs, [&](const KeptLog& l) { return l.index == read.index; });
        next.logs.push_back({read.index, read.count, download.id, first, read.records, !download.partial,
                             logFixes.empty() ? 0 : logFixes.front().time,
                             logFixes.empty() ? 0 : logFixes.back().time});
        first += read.records;
    }
    next.image.clear();
    next.importedBytes = 0;
    return tx.PutLoggerMemory(next);
}

Status Ledger::LoggerMemoryOf(std::string_view regNo, std::string_view loggerId, std::optional<LoggerMemory>& memory,
                              FixList* logFixes) {
    return store().Run(
        [&](LedgerTx& tx) {
            memory.reset();
            if (logFixes != nullptr) logFixes->clear();
            std::optional<Car> car;
            ML_LEDGER_TRY(tx.FindCar(regNo, car));
            if (!car) return Status::Ok();
            ML_LEDGER_TRY(tx.GetLoggerMemory(car->id, loggerId, memory));
            if (!memory || logFixes == nullptr) return Status::Ok();
            return KeptLogFixes(
                tx, *memory, [](const KeptLog&) { return true; }, *logFixes);
        },
        Access::Read);
}

Status Ledger::LoggerErased(std::string_view regNo, std::string_view loggerId) {
    return store().Run([&](LedgerTx& tx) {
        std::optional<Car> car;
        ML_LEDGER_TRY(tx.FindCar(regNo, car));
        if (!car) return Status::Ok();
        std::optional<LoggerMemory> memory;
        ML_LEDGER_TRY(tx.GetLoggerMemory(car->id, loggerId, memory));
        if (!memory) return Status::Ok();
        memory->image.clear();
        memory->importedBytes = 0;
        memory->logs.clear();
        memory->changedAt = std::time(nullptr);
        ML_LEDGER_TRY(tx.PutLoggerMemory(*memory));
        HistoryEntry entry{0, car->id, memory->changedAt, 0, 0, "logger", std::string(loggerId), "지움", by_};
        return tx.AddHistory(entry);
    });
}

Status Ledger::ImportKept(std::string_view regNo, int64_t downloadId, ImportResult& result) {
    return WithCar(regNo, Access::Write, [&](LedgerTx& tx, const Car& car) {
        result = ImportResult{};
        result.downloadId = downloadId;
        std::optional<Download> found;
        ML_LEDGER_TRY(tx.GetDownload(downloadId, found));
        if (!found || found->carId != car.id) {
            return Status::Invalid(Format("이 차량의 다운로드가 아닙니다: %lld", static_cast<long long>(downloadId)));
        }
        const Download& download = *found;
        if (!download.partial) {
            return Status::Invalid(
                Format("다운로드 %lld은 일부만 받은 다운로드가 아닙니다", static_cast<long long>(downloadId)));
        }
        std::optional<LoggerMemory> memory;
        if (!download.loggerId.empty()) ML_LEDGER_TRY(tx.GetLoggerMemory(car.id, download.loggerId, memory));
        DecodedDownload decoded;
        if (download.kind == DownloadKind::PhlxRecords) {
            ML_LEDGER_TRY(DecodeDownload(download.kind, download.raw, download.detail, decoded));
            if (memory) {
                for (KeptLog& log : memory->logs) log.imported |= log.downloadId == download.id;
            }
        } else if (memory && memory->downloadId == download.id) {
            // The memory as this download left it (the pieces before it included).
            ML_LEDGER_TRY(DecodeDownload(download.kind, memory->image, {}, decoded));
            memory->importedBytes = static_cast<int64_t>(memory->image.size());
        } else if (!DetailValue(download.detail, "ranges") || DetailValue(download.detail, "read") == "full") {
            // A read from address 0 stands on its own.
            std::vector<uint8_t> image = download.raw;
            if (DetailValue(download.detail, "ranges")) {
                ImportRequest request;
                request.raw = download.raw;
                request.detail = download.detail;
                uint32_t intact = 0;
                ML_LEDGER_TRY(AssembleMtkPieces({}, request, image, intact));
            }
            ML_LEDGER_TRY(DecodeDownload(download.kind, image, {}, decoded));
        } else {
            return Status::Invalid(
                Format("다운로드 %lld 뒤에 같은 로거를 다시 읽었습니다: 그 내용은 다음 다운로드에 "
                       "들어 있습니다",
                       static_cast<long long>(downloadId)));
        }
        if (memory) ML_LEDGER_TRY(tx.PutLoggerMemory(*memory));
        result.fixCount = decoded.fixCount;
        result.warnings = decoded.warnings;
        const int64_t now = std::time(nullptr);
        ML_LEDGER_TRY(
            ImportFixesOfDownload(tx, car, download.id, decoded.fixes, nullptr, false, {now, by_, {}}, result));
        return tx.SetDownloadAdded(download.id, download.addedCount + result.added);
    });
}

}  // namespace ml::ledger
