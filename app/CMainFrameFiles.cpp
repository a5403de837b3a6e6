// Saving and loading log files (*.dat) from the main window.
#include <QFileInfo>
#include <QMessageBox>

#include "app/CMainFrame.h"
#include "core/DiagLog.h"
#include "store/TrackFile.h"
#include "store/platform/TrackFileStore.h"
#include "views/CMainDialog.h"
#include "views/QtText.h"
#include "views/UiThread.h"
#include "views/UserPrompts.h"

namespace ml {

namespace {
const QString kFilter = QStringLiteral("Logs Files (*.dat);;All Files (*)");
}

void CMainFrame::SaveCommand() { SaveTracks(); }

bool CMainFrame::SaveTracks() {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return false;
    CommitListEdit();
    const auto answer = prompts().Question(
        this, QStringLiteral("선택한 항목만 저장하시겠습니까?\n(예:선택한항목/아니오:전체/취소)파일 저장"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer != QMessageBox::Yes && answer != QMessageBox::No) return false;
    const QString chosen = prompts().SaveFileName(this, kFilter);
    if (chosen.isEmpty()) return false;
    const bool onlySelected = answer == QMessageBox::Yes;
    const std::string path = ToStdString(chosen);
    const SaveResult result = SaveTrackFile(path, activeSettings(), session_.tracks, onlySelected);
    if (!result.ok) {
        DiagPrintf("save: %s\n", result.error.c_str());
        prompts().Message(this, QStringLiteral("파일이 사용중인지 확인하시기 바랍니다"),
                          QStringLiteral("파일 열기 실패"));
        return false;
    }
    // What the file holds is safe now.
    for (TrackRecord& track : session_.tracks) {
        if (!onlySelected || track.selected) track.unsavedEdit = 0;
    }
    RememberFile(ToQString(TrackFilePath(path)));
    if (!result.warning.empty()) prompts().Message(this, ToQString(result.warning), QStringLiteral("경고"));
    prompts().Message(this, QStringLiteral("파일 저장을 완료하였습니다"), ProgramName());
    return true;
}

void CMainFrame::LoadCommand() {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return;
    const QString chosen = prompts().OpenFileName(this, kFilter);
    if (chosen.isEmpty()) return;
    pendingLoadPath_ = chosen;
    emit loadTrackFileRequested();
    QMetaObject::invokeMethod(
        this, [this] { LoadTrackFileNow(); }, Qt::QueuedConnection);
}

int CMainFrame::LoadTrackFileNow() {
    ML_ASSERT_UI_THREAD();
    if (pendingLoadPath_.isEmpty() || IsDownloading()) return 1;
    CommitListEdit();
    const TrackFileLoad load = LoadTrackFile(ToStdString(pendingLoadPath_));
    if (!load.ok) {
        DiagPrintf("load: %s\n", load.error.c_str());
        prompts().Message(this, QStringLiteral("파일 Open 실패"), QStringLiteral("오류"));
        // A recent file that went away leaves the list.
        if (recentFiles_.removeAll(QFileInfo(pendingLoadPath_).absoluteFilePath()) > 0) FillRecentMenu();
        return 1;
    }
    if (!session_.tracks.empty()) {
        const auto answer = prompts().Question(
            this, QStringLiteral("기존의 불러온 데이터를 삭제하시겠습니까?.\nNO를 선택시 불러온 데이터가 유지됩니다"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer == QMessageBox::Yes) {
            ClearTracks(session_.tracks);
            session_.fixes.clear();
        }
    }
    for (const TrackRecord& track : load.contents.tracks) session_.tracks.push_back(track);
    loadedTrackFile_ = pendingLoadPath_;
    RememberFile(pendingLoadPath_);
    // The reports print the file's details until the next download.
    fileSettings_ = load.contents.header;
    mainDialog_->setListSettings(&fileSettings_);
    OnTracksUpdated();
    // A damaged file still gives the tracks before the damage; say so.
    if (!load.warning.empty()) prompts().Message(this, ToQString(load.warning), QStringLiteral("경고"));
    return 0;
}

}  // namespace ml
