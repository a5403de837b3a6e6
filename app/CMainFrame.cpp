#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QMenuBar>

#include "acquire/ReadLogFlow.h"
#include "app/LedgerImporter.h"
#include "app/QtAcquireUi.h"
#include "core/DiagLog.h"
#include "store/platform/Cp949Codec.h"
#include "store/platform/GeocodingClient.h"
#include "store/platform/SettingsFile.h"
#include "views/CComConnectDlg.h"
#include "views/CComboListCtrl.h"
#include "views/CLoadingPopup.h"
#include "views/CMainDialog.h"
#include "views/CProgressDlg.h"
#include "views/CSettingDlg.h"
#include "views/MapAndReportWiring.h"
#include "views/QtText.h"
#include "views/UiThread.h"
#include "views/UserPrompts.h"
#include "views/YearLedgerWindow.h"

namespace ml {

CMainFrame::CMainFrame(FrameOptions options, QWidget* parent) : QMainWindow(parent), options_(std::move(options)) {
    setObjectName("mainFrame");
    setWindowTitle(ProgramName());
    setWindowIcon(QIcon(QStringLiteral(":/mileledger/icon.svg")));
    resize(800, 600);
    // The form's fixed places (logo, buttons, the info panel) need at least
    // the first size.
    setMinimumSize(800, 600);
    if (!options_.prompts) ownPrompts_ = std::make_unique<DialogPrompts>();

    // Settings first: the services section says where the connectivity
    // check and the address lookups go.
    const SettingsFileState settings = StartSettings(options_.settingsPath);
    for (const std::string& warning : settings.warnings) DiagPrintf("settings: %s\n", warning.c_str());
    Geocoder geocoder = SetUpGeocoder(settings.services, options_.online);
    geocoder_ = std::move(geocoder.client);
    const bool online = geocoder.online;
    session_.geocodingEnabled = online ? 1 : 0;
    session_.geocoder = geocoder_.get();
    session_.discovery.extraPorts = options_.extraPorts;
    session_.cutSeconds = settings.settings.trackCutTime;

    mainDialog_ = new CMainDialog(online, this);
    // The map (only when online) and the two form popups, owned by the form.
    wiring_ = new MapAndReportWiring(mainDialog_, QString::fromStdString(settings.services.mapTileUrl));
    connect(wiring_, &MapAndReportWiring::reportRefused, this,
            [this](const QString& message) { prompts().Message(this, message, QStringLiteral("경고")); });
    wiring_->setConfirm([this](const QString& question) {
        return prompts().Question(this, question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    connect(mainDialog_, &CMainDialog::entryEdited, this, &CMainFrame::OnEntryEdited);
    setCentralWidget(mainDialog_);

    const std::string path = options_.settingsPath;
    settingDlg_ = new CSettingDlg(
        settings.settings, Cp949Codec::Instance(),
        [path](const Settings& values) {
            const SaveResult result = SaveSettings(path, values);
            return result.ok ? std::string() : result.error;
        },
        this);
    connect(settingDlg_, &CSettingDlg::saveFailed, this,
            [this](const QString& message) { prompts().Message(this, message, QStringLiteral("경고")); });
    connect(settingDlg_, &CSettingDlg::inputRefused, this,
            [this](const QString& message) { prompts().Message(settingDlg_, message, QStringLiteral("경고")); });
    mainDialog_->setListSettings(&settingDlg_->settings());
    CreateChildren();
    CreateMenus();
    SetUpLedger();
    SetUpYearWindow();
    RestoreWindowState();

    // A settings file that cannot be read or written is worth knowing
    // about before anything is typed into the dialog: say so once the
    // window is up.
    if (!settings.warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : settings.warnings) lines << ToQString(warning);
        QMetaObject::invokeMethod(
            this, [this, text = lines.join('\n')] { prompts().Message(this, text, QStringLiteral("경고")); },
            Qt::QueuedConnection);
    }
    // A settings file just made holds sample values: ask for the real ones
    // over the window before the first form prints them.
    if (settings.written) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                settingDlg_->ShowFirstStartNote(true);
                VehicleInfoCommand();
            },
            Qt::QueuedConnection);
    }
}

CMainFrame::~CMainFrame() {
    StopPortProbe();
    StopDownload();
    delete yearWindow_;       // before the ledger it reads
    ledgerImporter_.reset();  // finishes the imports already queued
    if (loadingPopup_) loadingPopup_->hide();
}

void CMainFrame::CreateChildren() {
    connectDlg_ = new CComConnectDlg(this);
    connect(connectDlg_, &CComConnectDlg::refreshRequested, this, [this] {
        RefreshPortList();
        FillConnectDialog();
    });
    connect(connectDlg_, &CComConnectDlg::startRequested, this, &CMainFrame::StartReadLog);

    loadingPopup_ = std::make_unique<CLoadingPopup>();
    connect(loadingPopup_.get(), &CLoadingPopup::cancelRequested, this, [this] {
        if (readFlow_) readFlow_->RequestCancel();
    });
    progressDlg_ = new CProgressDlg(this);

    acquireUi_ =
        std::make_unique<QtAcquireUi>(this, *loadingPopup_, *progressDlg_, prompts(), [this] { OnTracksUpdated(); });
    readFlow_ = std::make_unique<ReadLogFlow>(session_, *acquireUi_);
}

void CMainFrame::CreateMenus() {
    auto add = [this](QMenu* menu, const QString& text, Command id, void (CMainFrame::*handler)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QStringLiteral("action%1").arg(int(id)));
        connect(action, &QAction::triggered, this, handler);
        actions_.insert(id, action);
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("파일(&F)"));
    add(file, QStringLiteral("로그읽기"), kReadLog, &CMainFrame::ReadLogCommand);
    add(file, QStringLiteral("로그삭제"), kEraseLog, &CMainFrame::EraseLogCommand);
    file->addSeparator();
    add(file, QStringLiteral("로그파일 불러오기"), kLoadFile, &CMainFrame::LoadCommand);
    add(file, QStringLiteral("로그파일 저장하기"), kSaveFile, &CMainFrame::SaveCommand);
    add(file, QStringLiteral("로그파일 원장에 넣기"), kLedgerImportFile, &CMainFrame::LedgerImportFileCommand);
    add(file, QStringLiteral("연간 운행기록"), kYearLedger, &CMainFrame::YearLedgerCommand);
    recentMenu_ = file->addMenu(QStringLiteral("최근 파일"));
    file->addSeparator();
    add(file, QStringLiteral("운행기록부 인쇄..."), kPrintLog, &CMainFrame::PrintLogCommand);
    file->addSeparator();
    QAction* exit = file->addAction(QStringLiteral("끝내기(&X)"));
    exit->setObjectName(QStringLiteral("action%1").arg(int(kExit)));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    actions_.insert(kExit, exit);
    action(kLoadFile)->setShortcut(QKeySequence::Open);
    action(kSaveFile)->setShortcut(QKeySequence::Save);
    action(kPrintLog)->setShortcut(QKeySequence::Print);
    QMenu* settings = menuBar()->addMenu(QStringLiteral("설정"));
    add(settings, QStringLiteral("차량정보설정"), kVehicleInfo, &CMainFrame::VehicleInfoCommand);
    add(settings, QStringLiteral("트랙설정(시간)"), kTrackSetting, &CMainFrame::TrackSettingCommand);
    add(settings, QStringLiteral("분류 규칙"), kClassifyRules, &CMainFrame::ClassifyRulesCommand);
    QMenu* help = menuBar()->addMenu(QStringLiteral("도움말(&H)"));
    add(help, QStringLiteral("MileLedger 정보(&A)..."), kAbout, &CMainFrame::AboutCommand);
}

void CMainFrame::CommitListEdit() { mainDialog_->listControl()->CommitCellEdit(); }

UserPrompts& CMainFrame::prompts() const { return options_.prompts ? *options_.prompts : *ownPrompts_; }

const Settings& CMainFrame::activeSettings() const { return settingDlg_->settings(); }

void CMainFrame::OnTracksUpdated() {
    ML_ASSERT_UI_THREAD();
    ShowLedgerEntries();
    mainDialog_->RefreshTracks(session_.tracks);
    loadingPopup_->hide();
    for (int line = 1; line <= CLoadingPopup::kLineCount; ++line) loadingPopup_->OnStage(line, QString());
    emit tracksUpdated();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The worker uses the port and the lists; the window goes only once it
    // has stopped. Its last calls still need this thread's event loop.
    if (IsDownloading()) {
        closeAfterDownload_ = true;
        readFlow_->RequestCancel();
        event->ignore();
        return;
    }
    CommitListEdit();
    if (!AllowClose()) {
        event->ignore();
        return;
    }
    SaveWindowState();
    loadingPopup_->hide();
    QMainWindow::closeEvent(event);
}

}  // namespace ml
