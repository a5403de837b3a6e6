// The read-log and erase-log commands of the main window.
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>

#include "acquire/EraseLogFlow.h"
#include "acquire/ReadLogFlow.h"
#include "app/CMainFrame.h"
#include "app/LedgerImporter.h"
#include "app/QtAcquireUi.h"
#include "core/DiagLog.h"
#include "views/CComConnectDlg.h"
#include "views/CComboListCtrl.h"
#include "views/CLoadingPopup.h"
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
    QStringList entries;
    int lastWorked = -1, preferred = -1;
    for (const PortEntry& entry : session_.portList) {
        if (!lastWorkingPort_.empty() && entry.devicePath == lastWorkingPort_) lastWorked = int(entries.size());
        if (!options_.preferredPort.empty() && entry.devicePath == options_.preferredPort)
            preferred = int(entries.size());
        QString text = ToQString(entry.portName);
        if (!entry.description.empty()) text += QStringLiteral(" - ") + ToQString(entry.description);
        if (!options_.simulatorPort.empty() && entry.devicePath == options_.simulatorPort) {
            text += QStringLiteral(" (시뮬레이터)");
        }
        entries << text;
    }
    // The port of the last download that worked comes first.
    connectDlg_->FillPortCombo(entries, lastWorked >= 0 ? lastWorked : std::max(preferred, 0));
    StartPortProbe();
}

void CMainFrame::StartPortProbe() {
    StopPortProbe();
    probeCancel_ = false;
    const int generation = probeGeneration_;
    connectDlg_->SetNote(QStringLiteral("로거를 찾는 중..."));
    probe_ = std::thread([this, ports = session_.portList, generation] {
        const PortProbeResult result = ProbePorts(ports, {}, &probeCancel_);
        QMetaObject::invokeMethod(
            this, [this, result, generation] { OnPortProbed(result, generation); }, Qt::QueuedConnection);
    });
}

// The probe holds a port open while it asks: it ends before anything else
// opens one.
void CMainFrame::StopPortProbe() {
    probeCancel_ = true;
    ++probeGeneration_;
    if (probe_.joinable()) probe_.join();
}

void CMainFrame::OnPortProbed(const PortProbeResult& result, int generation) {
    if (generation != probeGeneration_) return;
    QStringList notes;
    if (result.found < 0) notes << QStringLiteral("응답하는 로거를 찾지 못했습니다.");
    for (const std::string& note : result.notes) notes << ToQString(note);
    connectDlg_->SetNote(notes.join('\n'));
    if (result.found >= 0) connectDlg_->MarkLogger(result.found);
}

int CMainFrame::RefreshPortList() {
    if (IsDownloading()) return -1;
    StopPortProbe();
    return readFlow_->RefreshPortList();
}

void CMainFrame::StartReadLog(int portIndex) {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return;
    CommitListEdit();
    StopPortProbe();
    readFlow_->SetFullRead(connectDlg_->fullRead());
    if (ledgerImporter_) ledgerImporter_->SetCar(activeSettings().carNum);
    readFlow_->StartReadLog(portIndex);
    session_.cutSeconds = activeSettings().trackCutTime;
    SetDownloading(true);
    downloading_ = true;
    worker_.Start(*readFlow_, [this](ReadLogOutcome outcome) {
        DiagPrintf("read-log ended: %s\n", std::string(ToString(outcome)).c_str());
        QMetaObject::invokeMethod(
            this, [this] { OnWorkerFinished(); }, Qt::QueuedConnection);
    });
}

void CMainFrame::OnWorkerFinished() {
    const ReadLogOutcome outcome = worker_.Join();
    downloading_ = false;
    SetDownloading(false);
    // After a download the reports print the live settings again, even if
    // a log file had been loaded before.
    mainDialog_->setListSettings(&activeSettings());
    const bool succeeded = Succeeded(outcome);
    if (succeeded) lastWorkingPort_ = session_.SelectedDevicePath();
    const QString note = loadingPopup_->NoteText();
    if (note.startsWith(QStringLiteral("로거 메모리"))) loggerMemory_ = note;
    ImportDownloadIntoLedger(succeeded);
    emit downloadFinished();
    if (closeAfterDownload_) close();
}

void CMainFrame::StopDownload() {
    if (!downloading_) return;
    worker_.Cancel();
    // The worker may be waiting for this thread (a stage text, a message):
    // keep serving it until it has ended.
    while (worker_.Running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    worker_.Join();
    downloading_ = false;
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
    // Only what the ledger holds may go; without a ledger nothing is held.
    if (ledgerImporter_) {
        ledgerImporter_->SetCar(activeSettings().carNum);
        erase.SetMemoryBook(ledgerImporter_.get());
    }
    const EraseOutcome outcome = erase.EraseLogCommand();
    DiagPrintf("erase-log ended: %d\n", int(outcome));
}

}  // namespace ml
