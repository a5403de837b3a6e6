#include "acquire/ReadLogFlow.h"

#include "acquire/AcquireTexts.h"
#include "acquire/ExchangeDriver.h"
#include "acquire/ModelQuery.h"
#include "acquire/ProgressThrottle.h"
#include "core/DiagLog.h"
#include "core/TextFormat.h"

namespace ml {

std::string_view ToString(ReadLogOutcome outcome) {
    switch (outcome) {
        case ReadLogOutcome::MtkCompleted: return "MTK download completed";
        case ReadLogOutcome::PhlxCompleted: return "PHLX download completed";
        case ReadLogOutcome::NoPortSelected: return "no port selected";
        case ReadLogOutcome::OpenFailed: return "the port cannot be opened";
        case ReadLogOutcome::WrongPort: return "nothing could be written to the port";
        case ReadLogOutcome::SerialError: return "the port failed";
        case ReadLogOutcome::NoModelAnswer: return "the device did not give a model answer";
        case ReadLogOutcome::NoAnswer: return "the device did not answer in time";
        case ReadLogOutcome::DataDamaged: return "a data package arrived damaged";
        case ReadLogOutcome::NoData: return "the log is empty";
        case ReadLogOutcome::AllocationFailed: return "the log is too large";
        case ReadLogOutcome::NothingReceived: return "no log data was received";
        case ReadLogOutcome::NoFixes: return "the log gave no fix";
        case ReadLogOutcome::DisconnectNotWritten: return "the end-of-download notice was not written";
        case ReadLogOutcome::Cancelled: return "cancelled";
    }
    return "unknown";
}

int ReadLogFlow::RefreshPortList() {
    session_.portList.clear();
    session_.selectedPort = -1;
    session_.port.Close();
    session_.portList = EnumerateSerialPorts(session_.discovery);
    if (session_.portList.empty()) {
        ui_.ShowMessage(texts::kNoSerialPort, texts::kErrorCaption);
        return -1;
    }
    return 0;
}

void ReadLogFlow::StartReadLog(int portIndex) {
    ui_.ShowPopup();
    session_.selectedPort = portIndex;
    cancel_.store(false);
    discardExisting_ = false;
    // The answer is only remembered here; the lists are emptied when the
    // new data arrives, so a failed download loses nothing.
    if (!session_.tracks.empty()) discardExisting_ = ui_.AskYesNo(texts::kDiscardQuestion);
}

ReadLogOutcome ReadLogFlow::Fail(ReadLogOutcome outcome, const std::string& text, const std::string& caption,
                                 bool closePort) {
    DiagPrintf("read-log: %s\n", std::string(ToString(outcome)).c_str());
    if (closePort) session_.port.Close();
    if (!text.empty()) ui_.ShowMessage(text, caption);
    ui_.HidePopup();
    return outcome;
}

ReadLogOutcome ReadLogFlow::RunReadLog() {
    ui_.SetLoadingStage(0, {});
    lossReport_.clear();
    const std::string portName = session_.SelectedPortName();
    const std::string path = session_.SelectedDevicePath();
    if (portName.empty() || path.empty()) {
        ui_.HidePopup();
        return ReadLogOutcome::NoPortSelected;
    }
    session_.port.Close();
    if (!session_.port.Open(path)) {
        DiagPrintf("read-log: %s\n", session_.port.lastError().c_str());
        return Fail(ReadLogOutcome::OpenFailed,
                    Format(texts::kOpenFailed, portName.c_str(), session_.port.openFailure().c_str()),
                    texts::kErrorCaption, false);
    }
    // What a download cut short left on the line would be read as the
    // answers of this one.
    if (session_.lineBusy) SettleLine();
    const ReadLogOutcome outcome = Download(portName);
    const bool cutShort = outcome == ReadLogOutcome::Cancelled || outcome == ReadLogOutcome::NoAnswer ||
                          outcome == ReadLogOutcome::NoModelAnswer || outcome == ReadLogOutcome::DataDamaged;
    if (cutShort && session_.port.IsOpen()) SettleLine();
    return outcome;
}

void ReadLogFlow::SettleLine() {
    const AcquireOptions& options = session_.options;
    session_.lineBusy = !DrainLine(session_.port, options.drainQuietMs, options.drainLimitMs);
    if (session_.lineBusy) DiagPrintf("read-log: the line is still busy after %d ms\n", options.drainLimitMs);
}

void ReadLogFlow::ReportLoss(const UserMessage& loss) {
    if (loss.empty()) return;
    DiagPrintf("read-log: %s\n", loss.text.c_str());
    lossReport_ = loss.text;
    ui_.ShowMessage(loss.text, loss.caption);
}

ReadLogOutcome ReadLogFlow::Download(const std::string& portName) {
    const ModelQueryResult query = QueryLoggerModel(session_.port, portName, ui_, session_.options, cancel_);
    switch (query.model) {
        case LoggerModel::Failed: return query.failure;
        case LoggerModel::Phlx: return RunPhlx(portName, query.loggerId);
        case LoggerModel::Mtk: return RunMtk(portName, query.loggerId);
    }
    return query.failure;
}

KnownMemory ReadLogFlow::Known(LoggerModel kind, const std::string& loggerId) {
    if (book_ == nullptr || fullRead_) return {};
    return book_->Known(kind, loggerId);
}

void ReadLogFlow::DiscardIfAsked() {
    if (!discardExisting_) return;
    ClearTracks(session_.tracks);
    session_.fixes.clear();
    discardExisting_ = false;
}

void ReadLogFlow::BuildNewTracks(FixList& fixesToBuild, TrackList& built) {
    ProgressThrottle throttle(session_.options.progressInterval);
    int lastIndex = -1;
    long lastCount = 0;
    TrackBuildOptions options;
    options.cutSeconds = session_.cutSeconds;
    options.geocodingEnabled = session_.geocodingEnabled;
    options.geocoder = session_.geocoder;
    options.progress = [&](int index, long count) {
        lastIndex = index;
        lastCount = count;
        if (throttle.Due()) ui_.SetLoadingStage(5, Format("(%d/%ld)", index, count));
    };
    BuildTracks(fixesToBuild, built, options);
    if (lastIndex >= 0) ui_.SetLoadingStage(5, Format("(%d/%ld)", lastIndex, lastCount));
}

}  // namespace ml
