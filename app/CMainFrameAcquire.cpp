// The read-log and erase-log commands of the main window.
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>

#include "acquire/EraseLogFlow.h"
#include "acquire/ReadLogFlow.h"
#include "app/CMainFrame.h"
#include "app/QtAcquireUi.h"
#include "core/DiagLog.h"
#include "views/CComConnectDlg.h"
#include "views/CComboListCtrl.h"
#include "views/CMainDialog.h"
#include "views/QtText.h"
#include "views/UiThread.h"

namespace ml {

void CMainFrame::ReadLogCommand() {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return;
    CommitListEdit();
    if (RefreshPortList() == -1) return;
    connectDlg_->ClearPortCombo();
    FillConnectDialog();
    const QRect frame = frameGeometry();
    connectDlg_->move(frame.center() - QPoint(connectDlg_->width() / 2, connectDlg_->height() / 2));
    connectDlg_->show();
    connectDlg_->raise();
}

void CMainFrame::FillConnectDialog() {
    QStringList names;
    int preferred = -1;
    for (const PortEntry& entry : session_.portList) {
        if (!options_.preferredPort.empty() && entry.devicePath == options_.preferredPort) preferred = int(names.size());
        names << ToQString(entry.portName);
    }
    connectDlg_->FillPortCombo(names);
    if (preferred >= 0) connectDlg_->portCombo()->setCurrentIndex(preferred);
}

int CMainFrame::RefreshPortList() {
    if (IsDownloading()) return -1;
    return readFlow_->RefreshPortList();
}

void CMainFrame::StartReadLog(int portIndex) {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return;
    CommitListEdit();
    readFlow_->StartReadLog(portIndex);
    session_.cutSeconds = activeSettings().trackCutTime;
    SetDownloading(true);
    workerDone_ = false;
    worker_ = std::thread([this] {
        const ReadLogOutcome outcome = readFlow_->RunReadLog();
        DiagPrintf("read-log ended: %s\n", std::string(ToString(outcome)).c_str());
        lastOutcome_ = outcome;
        workerDone_ = true;
        QMetaObject::invokeMethod(this, [this] { OnWorkerFinished(); }, Qt::QueuedConnection);
    });
}

void CMainFrame::OnWorkerFinished() {
    if (worker_.joinable()) worker_.join();
    SetDownloading(false);
    // After a download the reports print the live settings again, even if
    // a log file had been loaded before.
    mainDialog_->setListSettings(&activeSettings());
    if (Succeeded(lastOutcome_)) ImportDownloadIntoLedger();
    emit downloadFinished();
    if (closeAfterDownload_) close();
}

void CMainFrame::StopDownload() {
    if (!worker_.joinable()) return;
    readFlow_->RequestCancel();
    // The worker may be waiting for this thread (a stage text, a message):
    // keep serving it until it has ended.
    while (!workerDone_) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    worker_.join();
    SetDownloading(false);
}

void CMainFrame::SetDownloading(bool running) {
    // Everything that touches the port or the two lists waits for the end
    // of the download; the list itself is read-only meanwhile.
    for (Command id : {kReadLog, kEraseLog, kLoadFile, kSaveFile, kTrackSetting, kLedgerImportFile}) {
        if (QAction* a = action(id)) a->setEnabled(!running);
    }
    mainDialog_->listControl()->setEnabled(!running);
}

void CMainFrame::EraseLogCommand() {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return;
    EraseLogFlow erase(session_, *acquireUi_);
    const EraseOutcome outcome = erase.EraseLogCommand();
    DiagPrintf("erase-log ended: %d\n", int(outcome));
}

}  // namespace ml
