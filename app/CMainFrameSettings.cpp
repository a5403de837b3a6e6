// The vehicle information, track setting and about commands.
#include <QApplication>
#include <QMessageBox>

#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "core/TrackBuilder.h"
#include "store/platform/SettingsFile.h"
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

void CMainFrame::TrackSettingCommand() {
    ML_ASSERT_UI_THREAD();
    if (IsDownloading()) return;
    CommitListEdit();
    CTrackSettingDlg dialog(activeSettings().trackCutTime, this);
    if (!session_.tracks.empty()) {
        const auto answer = prompts().Question(
            this,
            QStringLiteral("트랙을 재설정하게되면 파일에서 불러온 기록은 사라지며\n기존에 수신기에서 받아온 "
                           "데이터만 재갱신됩니다.\n진행 하시겠습니까?"),
            QMessageBox::Yes | QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
    }
    if (dialog.exec() != QDialog::Accepted) return;

    Settings& live = settingDlg_->settings();
    live.trackCutTime = dialog.cutSeconds();
    const SaveResult saved = SaveSettings(options_.settingsPath, live);
    if (!saved.ok) prompts().Message(this, ToQString(saved.error), QStringLiteral("경고"));

    // The rebuild runs here, geocoding included; the user waits for it.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ClearTracks(session_.tracks);
    TrackBuildOptions build;
    build.cutSeconds = live.trackCutTime;
    build.geocodingEnabled = session_.geocodingEnabled;
    build.geocoder = session_.geocoder;
    BuildTracks(session_.fixes, session_.tracks, build);
    QApplication::restoreOverrideCursor();
    OnTracksUpdated();
}

void CMainFrame::AboutCommand() {
    CAboutDlg about(this);
    about.exec();
}

}  // namespace ml
