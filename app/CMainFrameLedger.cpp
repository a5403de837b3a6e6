// The main window and the year ledger: completed downloads go in by
// themselves, a loaded log file with one menu command; the status line
// says what went in. The list shows the ledger's use and purpose of its
// tracks, and what the user types there goes into the ledger too.
#include <QAction>
#include <QStatusBar>
#include <algorithm>

#include "acquire/ReadLogFlow.h"
#include "app/CMainFrame.h"
#include "app/LedgerImporter.h"
#include "core/ledger/TrackEntries.h"
#include "views/CMainDialog.h"
#include "views/QtText.h"
#include "views/TrackListModel.h"
#include "views/UiThread.h"
#include "views/UserPrompts.h"

namespace ml {

void CMainFrame::SetUpLedger() {
    if (options_.ledgerPath.empty()) {
        action(kLedgerImportFile)->setVisible(false);
        return;
    }
    ledgerImporter_ = std::make_unique<LedgerImporter>(options_.ledgerPath);
    ledgerImporter_->Attach(*readFlow_);
    // The status bar appears with the first thing the ledger has to say, so
    // the window keeps its layout until the ledger is used.
    connect(ledgerImporter_.get(), &LedgerImporter::statusChanged, this, &CMainFrame::ShowLedgerStatus);
    connect(ledgerImporter_.get(), &LedgerImporter::lastSourceFound, this, [this](const QString& path) {
        if (lastWorkingPort_.empty()) lastWorkingPort_ = ToStdString(path);
    });
    connect(ledgerImporter_.get(), &LedgerImporter::entryStored, this, [this](uint editNo) {
        for (TrackRecord& track : session_.tracks) {
            if (track.unsavedEdit == editNo) track.unsavedEdit = 0;
        }
    });
    // An import may have cut a trip anew with a classification (a trip
    // extended backwards keeps its use); the list shows it. A download in
    // progress owns the tracks until it ends.
    connect(ledgerImporter_.get(), &LedgerImporter::idle, this, [this] {
        if (!IsDownloading()) mainDialog_->model()->ReloadEntries(ShowLedgerEntries());
    });
    ledgerImporter_->FindLastSource(activeSettings().carNum);
}

std::string CMainFrame::ListCarNumber() const {
    const Settings* shown = mainDialog_->listSettings();
    return shown && !shown->carNum.empty() ? shown->carNum : activeSettings().carNum;
}

std::vector<size_t> CMainFrame::ShowLedgerEntries() {
    const std::string car = ListCarNumber();
    if (!ledgerImporter_ || car.empty() || session_.tracks.empty()) return {};
    std::optional<int64_t> first, last;
    for (const TrackRecord& track : session_.tracks) {
        const std::optional<int64_t> start = ledger::TrackStartTime(track);
        if (!start) continue;
        first = first ? std::min(*first, *start) : *start;
        last = last ? std::max(*last, *start) : *start;
    }
    std::vector<ledger::Trip> trips;
    if (!first || !ledgerImporter_->ReadTrips(car, {*first, *last + 1}, trips)) return {};
    return ledger::ShowTripEntries(session_.tracks, trips);
}

void CMainFrame::OnEntryEdited(int row) {
    const std::string car = ListCarNumber();
    if (!ledgerImporter_ || car.empty() || row < 0 || size_t(row) >= session_.tracks.size()) return;
    const TrackRecord& track = session_.tracks[size_t(row)];
    const std::optional<int64_t> start = ledger::TrackStartTime(track);
    if (!start) return;
    ledger::TripEdit edit;
    edit.use = ledger::ParseUse(track.use);
    edit.purpose = track.purpose;
    ledgerImporter_->Classify(car, *start, edit, track.unsavedEdit);
}

// The ledger's news, with how full the logger was at the last download.
void CMainFrame::ShowLedgerStatus(const QString& text) {
    statusBar()->showMessage(loggerMemory_.isEmpty() ? text : text + QStringLiteral("   ") + loggerMemory_);
}

void CMainFrame::ImportDownloadIntoLedger(bool succeeded) {
    if (ledgerImporter_) ledgerImporter_->ImportDownload(activeSettings(), session_.SelectedDevicePath(), succeeded);
}

void CMainFrame::LedgerImportFileCommand() {
    ML_ASSERT_UI_THREAD();
    if (!ledgerImporter_ || IsDownloading()) return;
    if (loadedTrackFile_.isEmpty()) {
        prompts().Message(this, QStringLiteral("먼저 로그파일을 불러오십시오"), ProgramName());
        return;
    }
    ledgerImporter_->ImportTrackFile(fileSettings_, activeSettings(), ToStdString(loadedTrackFile_));
}

}  // namespace ml
