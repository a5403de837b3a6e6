// The MTK branch of the read-log flow: PMTK182 download, decode, tracks.
#include <chrono>

#include "acquire/AcquireTexts.h"
#include "acquire/DownloadTexts.h"
#include "acquire/ExchangeDriver.h"
#include "acquire/ProgressThrottle.h"
#include "acquire/ReadLogFlow.h"
#include "core/DiagLog.h"
#include "core/TextFormat.h"
#include "protocol/MtkDownload.h"
#include "protocol/MtkLogDecoder.h"

namespace ml {

namespace {

ReadLogOutcome OutcomeOf(MtkOutcome outcome) {
    switch (outcome) {
        case MtkOutcome::NoData: return ReadLogOutcome::NoData;
        case MtkOutcome::AllocationFailed: return ReadLogOutcome::AllocationFailed;
        case MtkOutcome::NothingReceived: return ReadLogOutcome::NothingReceived;
        case MtkOutcome::NoReply: return ReadLogOutcome::NoAnswer;
        case MtkOutcome::ReadFailed: return ReadLogOutcome::SerialError;
        case MtkOutcome::WrongPort: return ReadLogOutcome::WrongPort;
        case MtkOutcome::Cancelled: return ReadLogOutcome::Cancelled;
        case MtkOutcome::Completed: return ReadLogOutcome::MtkCompleted;
        case MtkOutcome::Running: break;
    }
    return ReadLogOutcome::SerialError;
}

// The failures after which the port is closed: the logger may still be
// sending, or the port itself is gone.
bool ClosesPort(MtkOutcome outcome) {
    return outcome == MtkOutcome::NoData || outcome == MtkOutcome::AllocationFailed ||
           outcome == MtkOutcome::NothingReceived || outcome == MtkOutcome::ReadFailed;
}

}  // namespace

ReadLogOutcome ReadLogFlow::RunMtk(const std::string& portName, const std::string& loggerId) {
    const AcquireOptions& options = session_.options;
    MtkDownloadOptions downloadOptions;
    downloadOptions.replyTimeoutMs = options.replyTimeoutMs;
    downloadOptions.dataGapMs = options.dataGapMs;
    downloadOptions.known = Known(LoggerModel::Mtk, loggerId).image;
    downloadOptions.forceFull = fullRead_;
    MtkDownload download(std::move(downloadOptions));

    ui_.SetLoadingStage(1, texts::kStageOk);
    ProgressThrottle throttle(options.progressInterval);
    bool sizeShown = false;
    std::string note;
    auto showProgress = [&](bool final) {
        const MtkProgress& p = download.progress();
        if (p.stage == MtkStage::StatusQueries) return;
        if (!sizeShown) {
            sizeShown = true;
            ui_.SetLoadingStage(2, Format("%d", p.recordCount));
            ui_.SetLoadingStage(3, Format("(0/%ld)", static_cast<long>(p.toRead)));
        }
        // After a mismatch the plan (and its text) changes to a full read.
        const MtkReadPlan* plan = download.plan();
        if (std::string text = plan ? texts::ReadPlanText(*plan) : std::string(); text != note) {
            note = std::move(text);
            DiagPrintf("read-log: %s\n", note.c_str());
            ui_.SetLoadingNote(note);
        }
        if (final || throttle.Due()) {
            ui_.SetLoadingStage(3, Format("(%d/%d)", static_cast<int>(p.received), static_cast<int>(p.toRead)));
        }
    };
    DriveExchange(session_.port, download, cancel_, [&] { showProgress(false); });
    showProgress(true);

    const MtkOutcome outcome = download.outcome();
    const MtkProgress& progress = download.progress();
    // Zero bytes written for the end-of-download notice: the log has been
    // received and is decoded, but no tracks are built.
    const bool disconnectNotWritten = outcome == MtkOutcome::WrongPort && progress.received > 0;
    const bool completed = outcome == MtkOutcome::Completed || disconnectNotWritten;
    if (mtkSink_) {
        // What a download cut short brought is kept too: the next one goes
        // on from there.
        MtkDownloadResult result{loggerId, false, download.logImage(), download.Received()};
        result.partial = !completed || result.received.intactBytes < progress.byteCount;
        if (completed || !result.received.bytes.empty()) mtkSink_(result);
    }
    if (!completed) {
        const UserMessage message = texts::OutcomeMessage(outcome, portName);
        return Fail(OutcomeOf(outcome), message.text, message.caption, ClosesPort(outcome));
    }
    const UserMessage loss =
        texts::MtkLossMessage(progress.toRead, progress.received, download.missingSentences(), download.crcErrors());
    const std::string memory = texts::MemoryStateText(progress.byteCount, progress.flashBytes);
    DiagPrintf("read-log: %s\n", memory.c_str());
    ui_.SetLoadingNote(memory);

    const std::span<const uint8_t> image = download.logImage();
    FixList newFixes;
    ProgressThrottle decodeThrottle(options.progressInterval);
    int lastCounted = -1;
    long lastSectorCount = 0;
    const MtkDecodeSummary summary = DecodeLogImage(image, newFixes, [&](int counted, long sectorCount) {
        lastCounted = counted;
        lastSectorCount = sectorCount;
        if (decodeThrottle.Due()) ui_.SetLoadingStage(4, Format("(%d/%ld)", counted, sectorCount));
    });
    if (lastCounted >= 0) ui_.SetLoadingStage(4, Format("(%d/%ld)", lastCounted, lastSectorCount));
    if (summary.timesMoved > 0) {
        DiagPrintf("read-log: %ld fix times moved forward 1024 weeks (GPS week rollover)\n", summary.timesMoved);
    }
    download.ReleaseLogImage();

    if (disconnectNotWritten) {
        if (cancel_.load()) return Fail(ReadLogOutcome::Cancelled, {}, {}, false);
        DiscardIfAsked();
        session_.fixes.insert(session_.fixes.end(), newFixes.begin(), newFixes.end());
        return Fail(ReadLogOutcome::DisconnectNotWritten, Format(texts::kWrongPort, portName.c_str()),
                    texts::kErrorCaption, false);
    }
    // The logger's answer to "827" is not needed; it is only waited for
    // briefly so that the next command's purge finds it.
    session_.port.WaitForInput(std::chrono::milliseconds(options.disconnectWaitMs));
    if (newFixes.empty()) {
        return Fail(ReadLogOutcome::NoFixes, WithLoss(texts::kNoFixes, loss), texts::kErrorCaption, false);
    }

    // When tracks are kept from an earlier download, only the new fixes are
    // cut into tracks: building over the kept fixes again would list their
    // tracks twice. With no tracks in memory, every fix is built, so kept
    // fixes that never became tracks are not forgotten.
    const bool keepsTracks = !discardExisting_ && !session_.tracks.empty();
    FixList toBuild;
    if (!keepsTracks && !discardExisting_) toBuild = session_.fixes;
    const size_t keptCount = toBuild.size();
    toBuild.insert(toBuild.end(), newFixes.begin(), newFixes.end());
    newFixes.clear();
    TrackList built;
    BuildNewTracks(toBuild, built);
    if (cancel_.load()) return Fail(ReadLogOutcome::Cancelled, {}, {}, false);

    DiscardIfAsked();
    if (keepsTracks) {
        session_.fixes.insert(session_.fixes.end(), toBuild.begin(), toBuild.end());
    } else {
        session_.fixes = std::move(toBuild);
    }
    for (auto& track : built) session_.tracks.push_back(std::move(track));
    DiagPrintf("read-log: %zu kept fixes, %zu fixes, %zu tracks\n", keptCount, session_.fixes.size(),
               session_.tracks.size());
    ReportLoss(loss);
    const std::string warning =
        texts::MemoryWarningText(progress.byteCount, progress.flashBytes, progress.recordMethod);
    if (!warning.empty()) ui_.ShowMessage(warning, texts::kWarningCaption);
    ui_.OnTracksUpdated();
    return ReadLogOutcome::MtkCompleted;
}

}  // namespace ml
