#include "acquire/EraseLogFlow.h"

#include <algorithm>

#include "acquire/AcquireTexts.h"
#include "acquire/DownloadTexts.h"
#include "acquire/ExchangeDriver.h"
#include "acquire/ModelQuery.h"
#include "core/DiagLog.h"
#include "core/FormText.h"
#include "core/LocalTime.h"
#include "core/TextFormat.h"
#include "link/SentenceBuilder.h"
#include "protocol/MtkLogDecoder.h"

namespace ml {

namespace {

std::string Count(uint64_t n) { return GroupedText(static_cast<double>(n), 0); }

std::string Day(int64_t time) {
    const LocalDateTime t = ToLocalDateTime(static_cast<int32_t>(time));
    return Format("%04d-%02d-%02d", t.year, t.month, t.day);
}

std::string HeldText(uint64_t fixes, int64_t first, int64_t last) {
    std::string text = "로거에 위치 기록 " + Count(fixes) + "개가 있습니다";
    if (first > 0 && last > 0) text += " (" + Day(first) + " ~ " + Day(last) + ")";
    return text + ".";
}

std::string LostText(const std::string& what) {
    return "로거에 원장에 아직 없는 데이터가 있습니다: " + what +
           ". 지우면 이 데이터를 잃습니다. 먼저 로그읽기로 읽어 원장에 넣어 주십시오.";
}

}  // namespace

// An erase that did not reach the logger must not pass for done, whichever
// way the write failed.
bool EraseLogFlow::Send(const std::string& sentence) {
    const long written = session_.port.Write(sentence);
    if (written == static_cast<long>(sentence.size())) return true;
    DiagPrintf("erase: %ld of %zu bytes written: %s\n", written, sentence.size(), session_.port.lastError().c_str());
    ui_.ShowMessage(texts::kEraseSendFailed, texts::kErrorCaption);
    return false;
}

// The memory in use, and the chunk where it ends compared with the part of
// the known image whose fixes are stored.
bool EraseLogFlow::LookAtMtk(const std::string& portName, const KnownMemory& known, Contents& contents) {
    MtkDownloadOptions options;
    options.replyTimeoutMs = session_.options.replyTimeoutMs;
    options.dataGapMs = session_.options.dataGapMs;
    options.eraseCheck = true;
    const size_t stored = std::min<size_t>(known.importedBytes, known.image.size());
    options.known.assign(known.image.begin(), known.image.begin() + static_cast<std::ptrdiff_t>(stored));
    MtkDownload check(std::move(options));
    DriveExchange(session_.port, check, cancel_, [] {});
    if (check.outcome() != MtkOutcome::Completed) {
        const UserMessage message = texts::OutcomeMessage(check.outcome(), portName);
        if (!message.empty()) ui_.ShowMessage(message.text, message.caption);
        return false;
    }
    const uint32_t used = check.progress().byteCount;
    FixList fixes;
    if (check.eraseCheckMatched()) {
        DecodeLogImage(std::span<const uint8_t>(known.image).first(std::min<size_t>(used, stored)), fixes);
        contents.held =
            HeldText(fixes.size(), fixes.empty() ? 0 : fixes.front().time, fixes.empty() ? 0 : fixes.back().time);
        return true;
    }
    // Beyond what is stored everything is new; a memory that ends
    // differently holds nothing that is stored.
    const uint32_t unread = used > stored ? used - static_cast<uint32_t>(stored) : used;
    contents.held = HeldText(static_cast<uint64_t>(std::max(0, check.progress().recordCount)), 0, 0);
    contents.lost = LostText(Count(unread) + " bytes");
    return true;
}

bool EraseLogFlow::LookAtPhlx(const std::string& portName, const KnownMemory& known, Contents& contents) {
    PhlxExchangeOptions options;
    options.replyTimeoutMs = session_.options.replyTimeoutMs;
    options.historyOnly = true;
    PhlxExchange check(options);
    DriveExchange(session_.port, check, cancel_, [] {});
    if (check.outcome() != PhlxOutcome::Completed) {
        const UserMessage message = texts::OutcomeMessage(check.outcome(), portName);
        if (!message.empty()) ui_.ShowMessage(message.text, message.caption);
        return false;
    }
    uint64_t records = 0, lostRecords = 0;
    size_t lostLogs = 0;
    int64_t first = 0, last = 0;
    for (const HistoryEntry& e : check.history()) {
        if (e.recordCount == 0) continue;
        records += e.recordCount;
        const auto kept = std::find_if(known.logs.begin(), known.logs.end(), [&](const KnownLog& k) {
            return k.imported && k.entry.logIndex == e.logIndex && k.entry.recordCount == e.recordCount;
        });
        if (kept == known.logs.end()) {
            ++lostLogs;
            lostRecords += e.recordCount;
            continue;
        }
        if (first == 0 || kept->firstTime < first) first = kept->firstTime;
        last = std::max(last, kept->lastTime);
    }
    contents.held = HeldText(records, lostLogs == 0 ? first : 0, lostLogs == 0 ? last : 0);
    if (lostLogs > 0) contents.lost = LostText("로그 " + Count(lostLogs) + "개, 기록 " + Count(lostRecords) + "개");
    return true;
}

EraseOutcome EraseLogFlow::EraseLogCommand() {
    if (!session_.port.IsOpen()) {
        ui_.ShowMessage(texts::kEraseNoPort, texts::kErrorCaption);
        return EraseOutcome::NoPort;
    }
    std::string portName = session_.SelectedPortName();
    if (portName.empty()) portName = session_.port.name();
    cancel_.store(false);
    const ModelQueryResult query = QueryLoggerModel(session_.port, portName, ui_, session_.options, cancel_);
    if (query.model == LoggerModel::Failed) return EraseOutcome::QueryFailed;

    const KnownMemory known = book_ != nullptr ? book_->Known(query.model, query.loggerId) : KnownMemory{};
    Contents contents;
    const bool looked =
        query.model == LoggerModel::Mtk ? LookAtMtk(portName, known, contents) : LookAtPhlx(portName, known, contents);
    if (!looked) return EraseOutcome::QueryFailed;
    DiagPrintf("erase: %s %s\n", contents.held.c_str(), contents.lost.c_str());
    if (!contents.lost.empty() && !force_) {
        ui_.ShowMessage(contents.lost, texts::kWarningCaption);
        return EraseOutcome::Refused;
    }
    // Forced: the same warning, and the question says it again.
    if (!contents.lost.empty()) ui_.ShowMessage(contents.lost, texts::kWarningCaption);
    std::string question = std::string(texts::kEraseQuestion) + "\n\n" + contents.held;
    if (!contents.lost.empty()) question += "\n" + contents.lost;
    if (!ui_.AskYesNo(question)) return EraseOutcome::Declined;

    EraseOutcome erased = EraseOutcome::MtkErased;
    if (query.model == LoggerModel::Mtk) {
        if (!Send(MtkEraseSentence())) return EraseOutcome::SendFailed;
    } else {
        session_.port.Purge();
        if (!Send(PhlxEraseCommand())) return EraseOutcome::SendFailed;
        erased = EraseOutcome::PhlxErased;
    }
    if (book_ != nullptr) book_->Erased(query.model, query.loggerId);
    return erased;
}

}  // namespace ml
