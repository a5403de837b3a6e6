// What the main window keeps between runs (its size and place, the list's
// column widths, the last log files) and the question before closing loses
// an edit. Kept in Window.ini beside Setting.ini: Setting.ini is the file
// other programs read, and its values are CP949 while file names may hold
// any character.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSettings>

#include "app/CMainFrame.h"
#include "app/LedgerImporter.h"
#include "views/CComboListCtrl.h"
#include "views/CMainDialog.h"
#include "views/MapAndReportWiring.h"
#include "views/UiThread.h"
#include "views/UserPrompts.h"

namespace ml {

namespace {
constexpr int kRecentFileCount = 5;
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kColumnsKey = QStringLiteral("list/columnWidths");
const QString kRecentKey = QStringLiteral("files/recent");
}  // namespace

std::unique_ptr<QSettings> CMainFrame::WindowState() const {
    const QFileInfo settings(QString::fromStdString(options_.settingsPath));
    return std::make_unique<QSettings>(settings.absoluteDir().filePath(QStringLiteral("Window.ini")),
                                       QSettings::IniFormat);
}

void CMainFrame::RestoreWindowState() {
    const auto state = WindowState();
    if (!restoreGeometry(state->value(kGeometryKey).toByteArray())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        }
    }
    std::vector<int> widths;
    for (const QString& width : state->value(kColumnsKey).toStringList()) widths.push_back(qMax(0, width.toInt()));
    mainDialog_->listControl()->setUserColumnWidths(widths);
    recentFiles_ = state->value(kRecentKey).toStringList().mid(0, kRecentFileCount);
    FillRecentMenu();
}

void CMainFrame::SaveWindowState() {
    const auto state = WindowState();
    state->setValue(kGeometryKey, saveGeometry());
    QStringList widths;
    for (const int width : mainDialog_->listControl()->userColumnWidths()) widths << QString::number(width);
    state->setValue(kColumnsKey, widths);
    state->setValue(kRecentKey, recentFiles_);
}

void CMainFrame::RememberFile(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recentFiles_.removeAll(absolute);
    recentFiles_.prepend(absolute);
    recentFiles_ = recentFiles_.mid(0, kRecentFileCount);
    FillRecentMenu();
    WindowState()->setValue(kRecentKey, recentFiles_);
}

void CMainFrame::FillRecentMenu() {
    recentMenu_->clear();
    for (int i = 0; i < recentFiles_.size(); ++i) {
        const QString path = recentFiles_[i];
        QAction* entry =
            recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(path)));
        connect(entry, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    recentMenu_->setEnabled(!recentFiles_.isEmpty());
}

void CMainFrame::OpenRecentFile(const QString& path) {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return;
    pendingLoadPath_ = path;
    emit loadTrackFileRequested();
    QMetaObject::invokeMethod(
        this, [this] { LoadTrackFileNow(); }, Qt::QueuedConnection);
}

void CMainFrame::PrintLogCommand() {
    ML_ASSERT_UI_THREAD();
    CommitListEdit();
    wiring_->PrintLogReport();
}

bool CMainFrame::AllowClose() {
    // Edits on their way into the ledger are kept once they are in.
    if (HasUnsavedEdits(session_.tracks) && ledgerImporter_) ledgerImporter_->WaitUntilIdle();
    if (!HasUnsavedEdits(session_.tracks)) return true;
    switch (prompts().Question(this, QStringLiteral("저장하지 않은 변경 내용이 있습니다"),
                               QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)) {
        case QMessageBox::Save: return SaveTracks();
        case QMessageBox::Discard: return true;
        default: return false;
    }
}

}  // namespace ml
