// The vehicle information, track setting and about commands.
#include <QApplication>
#include <QMessageBox>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "core/TrackBuilder.h"
#include "store/platform/SettingsFile.h"
#include "views/CMainDialog.h"
#include "views/CSettingDlg.h"
#include "views/CTrackSettingDlg.h"
#include "views/QtText.h"
#include "views/UiThread.h"
#include "views/UserPrompts.h"

namespace ml {

void CMainFrame::VehicleInfoCommand() {
    ML_ASSERT_UI_THREAD();
    settingDlg_->ShowSettings();
    settingDlg_->show();
    settingDlg_->raise();
    settingDlg_->activateWindow();
}

namespace {

// The question before a rebuild that loses something: only what is lost.
QString RebuildQuestion(const TrackRebuildLoss& loss) {
    QString text = QStringLiteral("트랙을 재설정하면 다음 기록이 사라집니다.\n");
    if (loss.tracksGone > 0) {
        text +=
            QStringLiteral("- 파일에서 불러온 트랙 %1개 (수신기에서 받아온 데이터에 없는 트랙)\n").arg(loss.tracksGone);
    }
    if (loss.entriesGone > 0) {
        text += QStringLiteral("- 다른 트랙에 합쳐지는 트랙 %1개의 사용용도와 운행목적\n").arg(loss.entriesGone);
    }
    return text + QStringLiteral("진행 하시겠습니까?");
}

}  // namespace

void CMainFrame::TrackSettingCommand() {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return;
    CommitListEdit();
    CTrackSettingDlg dialog(activeSettings().trackCutTime, this);
    if (dialog.exec() != QDialog::Accepted) return;
    // Rebuilt tracks that start where an old one started keep its use,
    // purpose and tick; the question names only what no rebuilt track keeps.
    const TrackRebuildLoss loss = PlanTrackRebuild(session_.tracks, session_.fixes, dialog.cutSeconds());
    if (!loss.Nothing() &&
        prompts().Question(this, RebuildQuestion(loss), QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }

    Settings& live = settingDlg_->settings();
    live.trackCutTime = dialog.cutSeconds();
    const SaveResult saved = SaveSettings(options_.settingsPath, live);
    if (!saved.ok) prompts().Message(this, ToQString(saved.error), QStringLiteral("경고"));

    // The rebuild runs here, geocoding included; the user waits for it.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TrackList old = std::move(session_.tracks);
    session_.tracks.clear();
    TrackBuildOptions build;
    build.cutSeconds = live.trackCutTime;
    build.geocodingEnabled = session_.geocodingEnabled;
    build.geocoder = session_.geocoder;
    BuildTracks(session_.fixes, session_.tracks, build);
    CarryTrackEntries(old, session_.tracks);
    ClearTracks(old);
    QApplication::restoreOverrideCursor();
    // The refresh ticks every row; the ticks taken over are put back after.
    std::vector<int32_t> ticks;
    for (const TrackRecord& track : session_.tracks) ticks.push_back(track.selected);
    OnTracksUpdated();
    mainDialog_->SetChecks(ticks);
}

void CMainFrame::AboutCommand() {
    CAboutDlg about(this);
    about.exec();
}

}  // namespace ml
