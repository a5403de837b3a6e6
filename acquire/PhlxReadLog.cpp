// The PHLX branch of the read-log flow: the exchange with its progress
// dialog, then the tracks of the new fixes.
#include <algorithm>
#include <cstdint>

#include "acquire/AcquireTexts.h"
#include "acquire/DownloadTexts.h"
#include "acquire/ExchangeDriver.h"
#include "acquire/ProgressThrottle.h"
#include "acquire/ReadLogFlow.h"
#include "core/DiagLog.h"
#include "protocol/PhlxExchange.h"

namespace ml {

namespace {

ReadLogOutcome OutcomeOf(PhlxOutcome outcome) {
    switch (outcome) {
        case PhlxOutcome::Completed: return ReadLogOutcome::PhlxCompleted;
        case PhlxOutcome::NoReply: return ReadLogOutcome::NoAnswer;
        case PhlxOutcome::PackageDamaged: return ReadLogOutcome::DataDamaged;
        case PhlxOutcome::ReadFailed: return ReadLogOutcome::SerialError;
        case PhlxOutcome::WrongPort: return ReadLogOutcome::WrongPort;
        case PhlxOutcome::Cancelled: return ReadLogOutcome::Cancelled;
        case PhlxOutcome::Running: break;
    }
    return ReadLogOutcome::SerialError;
}

uint64_t RecordsOf(const std::vector<HistoryEntry>& history) {
    uint64_t records = 0;
    for (const HistoryEntry& e : history) records += e.recordCount;
    return records;
}

// Mirrors the exchange's progress into the dialog, a few times a second.
class ProgressMirror {
public:
    ProgressMirror(AcquireUi& ui, std::chrono::milliseconds interval) : ui_(ui), throttle_(interval) {}

    void Update(const PhlxProgress& p, bool final) {
        if (p.visible && !visible_) {
            visible_ = true;
            total_ = p.total;
            ui_.ProgressSetTotal(p.total);
            ui_.ProgressSetPosition(0);
            ui_.ProgressShow();
        } else if (visible_ && p.total != total_) {
            total_ = p.total;
            ui_.ProgressSetTotal(p.total);
        }
        // The last position is always shown before the dialog goes.
        const bool ending = final || !p.visible;
        if (visible_ && p.position != position_ && (ending || throttle_.Due())) {
            position_ = p.position;
            ui_.ProgressSetPosition(p.position);
        }
        if (ending && visible_) {
            visible_ = false;
            ui_.ProgressHide();
        }
    }

private:
    AcquireUi& ui_;
    ProgressThrottle throttle_;
    bool visible_ = false;
    uint32_t total_ = 0;
    uint32_t position_ = 0;
};

}  // namespace

ReadLogOutcome ReadLogFlow::RunPhlx(const std::string& portName, const std::string& loggerId) {
    for (int line = 1; line <= 4; ++line) ui_.SetLoadingStage(line, texts::kStageOk);
    PhlxExchangeOptions exchangeOptions;
    exchangeOptions.replyTimeoutMs = session_.options.replyTimeoutMs;
    KnownMemory known = Known(LoggerModel::Phlx, loggerId);
    for (const KnownLog& log : known.logs) exchangeOptions.known.push_back(log.entry);
    PhlxExchange exchange(exchangeOptions);
    ProgressMirror mirror(ui_, session_.options.progressInterval);
    std::string note;
    DriveExchange(session_.port, exchange, cancel_, [&] {
        mirror.Update(exchange.progress(), false);
        if (std::string text = texts::PhlxPlanText(exchange.history().size(), RecordsOf(exchange.history()),
                                                   exchange.skippedLogs(), exchange.skippedRecords());
            text != note) {
            note = std::move(text);
            DiagPrintf("read-log: %s\n", note.c_str());
            ui_.SetLoadingNote(note);
        }
    });
    mirror.Update(exchange.progress(), true);

    const PhlxOutcome outcome = exchange.outcome();
    if (phlxSink_ && (outcome == PhlxOutcome::Completed || !exchange.rawRecords().empty())) {
        // What a download cut short brought is kept too: its whole logs
        // are not fetched again.
        phlxSink_({loggerId, outcome != PhlxOutcome::Completed || exchange.rejectedPackages() > 0,
                   exchange.rawRecords(), exchange.timeBase(), exchange.logsRead()});
    }
    if (exchange.timesMoved() > 0) {
        DiagPrintf("read-log: %llu fix times moved forward 1024 weeks (GPS week rollover)\n",
                   static_cast<unsigned long long>(exchange.timesMoved()));
    }
    if (outcome != PhlxOutcome::Completed) {
        // A download that did not reach its end commits nothing: the lists
        // stay as they were (the log is still on the logger), and the user
        // is told why.
        const UserMessage message = texts::OutcomeMessage(outcome, portName);
        return Fail(OutcomeOf(outcome), message.text, message.caption, outcome == PhlxOutcome::ReadFailed);
    }

    const UserMessage loss = texts::PhlxLossMessage(exchange.rejectedPackages());
    ui_.SetLoadingNote(texts::PhlxMemoryStateText(exchange.history().size(), RecordsOf(exchange.history())));
    FixList newFixes = exchange.TakeFixes();
    if (exchange.skippedLogs() > 0) {
        // The logs not fetched again come from the book, so that the lists
        // show the logger's whole history as a full download would.
        newFixes.insert(newFixes.begin(), known.logFixes.begin(), known.logFixes.end());
        std::stable_sort(newFixes.begin(), newFixes.end(),
                         [](const FixRecord& a, const FixRecord& b) { return a.time < b.time; });
    }
    if (newFixes.empty() && exchange.progress().total == 0 && exchange.skippedLogs() == 0) {
        // The logger holds no log: as an empty MTK log, nothing to read.
        return Fail(ReadLogOutcome::NoData, texts::kNoData, texts::kWarningCaption, false);
    }
    if (newFixes.empty()) {
        return Fail(ReadLogOutcome::NoFixes, WithLoss(texts::kNoFixes, loss), texts::kErrorCaption, false);
    }
    TrackList built;
    BuildNewTracks(newFixes, built);
    if (cancel_.load()) return Fail(ReadLogOutcome::Cancelled, {}, {}, false);

    DiscardIfAsked();
    // A PHLX download replaces the fixes: the logger hands over its whole
    // history every time.
    session_.fixes = std::move(newFixes);
    for (auto& track : built) session_.tracks.push_back(std::move(track));
    ReportLoss(loss);
    ui_.OnTracksUpdated();
    return ReadLogOutcome::PhlxCompleted;
}

}  // namespace ml
