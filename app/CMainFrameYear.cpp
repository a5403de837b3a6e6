// The main window and the ledger's own windows: 파일 > 연간 운행기록 (also a
// button on the form) and 설정 > 분류 규칙. Both read and write the ledger
// on this thread through one connection of their own; the importer keeps
// its own on its thread, and its finished imports refresh the year window.
#include <QAction>
#include <QPushButton>

#include "app/CMainFrame.h"
#include "app/LedgerImporter.h"
#include "store/ledger/Ledger.h"
#include "store/ledger/LedgerLocation.h"
#include "store/platform/SettingsFile.h"
#include "views/CMainDialog.h"
#include "views/ClassifyRulesDialog.h"
#include "views/DialogUnits.h"
#include "views/QtText.h"
#include "views/UiThread.h"
#include "views/UserPrompts.h"
#include "views/YearLedgerWindow.h"

namespace ml {

namespace {

QString TileUrl(const std::string& settingsPath) { return ToQString(LoadSettings(settingsPath).services.mapTileUrl); }

}  // namespace

void CMainFrame::SetUpYearWindow() {
    if (options_.ledgerPath.empty()) {
        action(kYearLedger)->setVisible(false);
        action(kClassifyRules)->setVisible(false);
        return;
    }
    // Beside the two form buttons, right of the logo.
    yearButton_ = new QPushButton(QStringLiteral("연간 운행기록"), mainDialog_);
    yearButton_->setObjectName(QStringLiteral("yearLedgerButton"));
    yearButton_->setGeometry(DluX(366), DluY(15), DluX(73), DluY(16));
    connect(yearButton_, &QPushButton::clicked, this, &CMainFrame::YearLedgerCommand);
}

ledger::Ledger* CMainFrame::UiLedger() {
    if (!uiLedger_) {
        const ledger::Status s = ledger::OpenLedger(options_.ledgerPath, ledger::LedgerUser(), uiLedger_);
        if (!s.ok()) {
            prompts().Message(this, QStringLiteral("원장을 열 수 없습니다: %1").arg(ToQString(s.message())),
                              QStringLiteral("경고"));
            return nullptr;
        }
    }
    return uiLedger_.get();
}

void CMainFrame::YearLedgerCommand() {
    ML_ASSERT_UI_THREAD();
    ledger::Ledger* ledger = UiLedger();
    if (!ledger) return;
    if (!yearWindow_) {
        YearWindowOptions window;
        window.ledger = ledger;
        window.prompts = &prompts();
        window.settings = [this] { return activeSettings(); };
        window.tileUrl = TileUrl(options_.settingsPath);
        yearWindow_ = new YearLedgerWindow(std::move(window), this);
        // A finished import may bring a new car, a new year or new trips.
        if (ledgerImporter_)
            connect(ledgerImporter_.get(), &LedgerImporter::idle, yearWindow_, [this] { yearWindow_->RefreshCars(); });
        yearWindow_->RefreshCars(ToQString(activeSettings().carNum));
    }
    yearWindow_->show();
    yearWindow_->raise();
    yearWindow_->activateWindow();
}

void CMainFrame::ClassifyRulesCommand() {
    ML_ASSERT_UI_THREAD();
    ledger::Ledger* ledger = UiLedger();
    if (!ledger) return;
    auto* dialog = new ClassifyRulesDialog(*ledger, prompts(), activeSettings().carNum, TileUrl(options_.settingsPath),
                                           true, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ClassifyRulesDialog::rulesSaved, this, [this] {
        if (yearWindow_) yearWindow_->Reload();
    });
    dialog->open();
}

}  // namespace ml
