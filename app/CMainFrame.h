#pragma once
// The main window: owner of everything a run holds (the port, the fixes and
// tracks, the settings in force, the child windows) and the place where the
// menu commands meet the flows. Message boxes and file dialogs go through
// UserPrompts so that a test can answer them.
#include <QMainWindow>
#include <QMap>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "acquire/PortProbe.h"
#include "acquire/ReadLogOutcome.h"
#include "acquire/ReadLogWorker.h"
#include "acquire/Session.h"
#include "store/Settings.h"

class QAction;
class QMenu;
class QPushButton;
class QSettings;

namespace ml {

class CComConnectDlg;
class CLoadingPopup;
class CMainDialog;
class CProgressDlg;
class CSettingDlg;
class GeocodingClient;
class LedgerImporter;
class MapAndReportWiring;
class QtAcquireUi;
class ReadLogFlow;
class UserPrompts;
class YearLedgerWindow;
namespace ledger {
class Ledger;
}

struct FrameOptions {
    std::string settingsPath;             // Setting.ini to read or create
    std::optional<bool> online;           // the connectivity check made by the caller
    UserPrompts* prompts = nullptr;       // null: real message boxes and file dialogs
    std::vector<std::string> extraPorts;  // offered besides the ports found (the simulator)
    std::string preferredPort;            // device path the connect dialog preselects
    std::string simulatorPort;            // the built-in simulator's port, marked "(시뮬레이터)"
    std::string ledgerPath;               // the year ledger downloads go into; empty: none
};

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Menu command ids, as the rest of the program names them.
    enum Command {
        kReadLog = 32786,
        kEraseLog = 32788,
        kLoadFile = 32791,
        kSaveFile = 32792,
        kExit = 57665,
        kVehicleInfo = 32787,
        kTrackSetting = 32794,
        kAbout = 57664,
        kLedgerImportFile = 32795,
        kPrintLog = 32796,
        kYearLedger = 32797,
        kClassifyRules = 32798,
    };

    explicit CMainFrame(FrameOptions options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Menu commands.
    void ReadLogCommand();
    void EraseLogCommand();
    void LoadCommand();
    void SaveCommand();
    // 최근 파일: loads one of the last five log files.
    void OpenRecentFile(const QString& path);
    // Ctrl+P: the 운행기록부 made from the ticked rows and its print dialog.
    void PrintLogCommand();
    void VehicleInfoCommand();
    void TrackSettingCommand();
    void AboutCommand();
    // The loaded log file into the year ledger (CMainFrameLedger.cpp).
    void LedgerImportFileCommand();
    // The year window and the classification rules (CMainFrameYear.cpp).
    void YearLedgerCommand();
    void ClassifyRulesCommand();
    YearLedgerWindow* yearWindow() const { return yearWindow_; }
    QPushButton* yearButton() const { return yearButton_; }

    // Read-log steps, used by the connect dialog.
    int RefreshPortList();
    void StartReadLog(int portIndex);
    bool IsDownloading() const { return downloading_; }
    // Stops a running download and waits for its worker (events keep flowing).
    void StopDownload();

    // WM_LOAD_TRACK_FILE: reads the file chosen by the load command.
    int LoadTrackFileNow();
    // WM_TRACKS_UPDATED: the views show the track list again.
    void OnTracksUpdated();

    QAction* action(Command id) const { return actions_.value(id); }
    CMainDialog* mainDialog() const { return mainDialog_; }
    CSettingDlg* settingDlg() const { return settingDlg_; }
    CLoadingPopup* loadingPopup() const { return loadingPopup_.get(); }
    CProgressDlg* progressDlg() const { return progressDlg_; }
    Session& session() { return session_; }
    const Settings& activeSettings() const;
    bool geocodingEnabled() const { return session_.geocodingEnabled != 0; }
    const std::string& settingsPath() const { return options_.settingsPath; }
    LedgerImporter* ledgerImporter() const { return ledgerImporter_.get(); }

signals:
    void tracksUpdated();           // after the views were refreshed
    void downloadFinished();        // the worker has ended, whatever the outcome
    void loadTrackFileRequested();  // WM_LOAD_TRACK_FILE

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreateChildren();
    void FillConnectDialog();
    // Looks for the logger among the listed ports in the background; the
    // connect dialog marks and selects the one that answers.
    void StartPortProbe();
    void StopPortProbe();
    void OnPortProbed(const PortProbeResult& result, int generation);
    // Keeps what is typed in an open cell editor before a command reads
    // or replaces the tracks.
    void CommitListEdit();
    void SetDownloading(bool running);
    void OnWorkerFinished();
    UserPrompts& prompts() const;
    void SetUpLedger();
    void SetUpYearWindow();
    // The ledger the windows use (opened on first use); null after a message.
    ledger::Ledger* UiLedger();
    void ImportDownloadIntoLedger(bool succeeded);
    void ShowLedgerStatus(const QString& text);
    // The car whose ledger the list's tracks belong to: CAR_NUM of the
    // settings the list is shown with, else of the live settings.
    std::string ListCarNumber() const;
    // Gives the tracks the classification the ledger holds for them; the
    // rows that changed.
    std::vector<size_t> ShowLedgerEntries();
    // A use or purpose typed in the list goes into the ledger as well.
    void OnEntryEdited(int row);
    // Saves the log file (the question, the file dialog); true once written.
    bool SaveTracks();
    // Closing: true when nothing unsaved would be lost, or the user chose.
    bool AllowClose();
    // Window.ini beside Setting.ini: size, place, column widths, recent files.
    std::unique_ptr<QSettings> WindowState() const;
    void RestoreWindowState();
    void SaveWindowState();
    void RememberFile(const QString& path);
    void FillRecentMenu();

    FrameOptions options_;
    std::unique_ptr<UserPrompts> ownPrompts_;
    std::unique_ptr<GeocodingClient> geocoder_;
    Session session_;
    Settings fileSettings_;
    QString pendingLoadPath_;
    QString loadedTrackFile_;  // the last log file loaded whole or in part

    CMainDialog* mainDialog_ = nullptr;
    CSettingDlg* settingDlg_ = nullptr;
    CComConnectDlg* connectDlg_ = nullptr;
    std::unique_ptr<CLoadingPopup> loadingPopup_;  // a window of its own, no parent
    CProgressDlg* progressDlg_ = nullptr;
    std::unique_ptr<QtAcquireUi> acquireUi_;
    std::unique_ptr<ReadLogFlow> readFlow_;
    ReadLogWorker worker_;
    bool downloading_ = false;  // from StartReadLog until the window has taken the worker's end
    std::unique_ptr<LedgerImporter> ledgerImporter_;
    std::unique_ptr<ledger::Ledger> uiLedger_;
    YearLedgerWindow* yearWindow_ = nullptr;
    QPushButton* yearButton_ = nullptr;
    bool closeAfterDownload_ = false;
    std::thread probe_;
    std::atomic<bool> probeCancel_{false};
    int probeGeneration_ = 0;
    std::string lastWorkingPort_;  // device path of the last download that completed
    QString loggerMemory_;         // how full the logger was at the last download
    QMap<int, QAction*> actions_;
    MapAndReportWiring* wiring_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QStringList recentFiles_;
};

}  // namespace ml
