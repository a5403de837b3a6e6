// The main window and the year ledger: completed downloads go in by
// themselves, a loaded log file with one menu command; the status line
// says what went in.
#include <QAction>
#include <QStatusBar>

#include "acquire/ReadLogFlow.h"
#include "app/CMainFrame.h"
#include "app/LedgerImporter.h"
#include "views/QtText.h"
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
    ledgerImporter_->FindLastSource(activeSettings().carNum);
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
