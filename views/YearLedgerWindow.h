#pragma once
// 연간 운행기록: one car's business year from the ledger at a glance. The
// year's trips in time order with monthly subtotals and 기록되지 않은 주행
// rows, the footer ⑪ ⑫ ⑬ and the count still unclassified; cells edited
// in place, a selection classified in one step or by the rules, every change
// through the ledger's history and undone with Ctrl+Z; the selection drawn
// on the map; the forms printed and the year exported. The window reads the
// ledger again whenever it writes, when the program's imports finish
// (Reload) and when it is activated, so it shows what other PCs did too.
#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/ledger/OfficialLog.h"
#include "store/Settings.h"
#include "store/ledger/Ledger.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;

namespace ml {

class CHtmlDlgTrackOutNew;
class CHtmlDlgTrackOutOld;
class LedgerHistoryModel;
class LedgerMapView;
class UserPrompts;
class YearFilterModel;
class YearTableModel;
struct YearFilter;

struct YearWindowOptions {
    ledger::Ledger* ledger = nullptr;    // required; used on this thread only
    UserPrompts* prompts = nullptr;      // required
    std::function<Settings()> settings;  // the settings in force (refund figures); may be empty
    QString tileUrl;                     // the map's tile template
    bool showMap = true;
};

class YearLedgerWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit YearLedgerWindow(YearWindowOptions options, QWidget* parent = nullptr);
    ~YearLedgerWindow() override;

    // Lists the ledger's cars and shows `preferred` (else the first), its
    // latest business year.
    void RefreshCars(const QString& preferred = {});
    // The car's business year that starts in `year`.
    void ShowYear(const QString& regNo, int year);
    // The same car and year as the ledger holds them now; the selection stays.
    void Reload();

    QString car() const;
    int year() const { return year_; }
    const ledger::Period& yearPeriod() const { return yearPeriod_; }
    // The period the forms and exports cover: the year, or the days chosen.
    std::optional<ledger::Period> ReportPeriod();
    void SetChosenPeriod(const std::optional<ledger::Period>& period);

    void SetFilter(const YearFilter& filter);
    void SelectAllShown();
    std::vector<int64_t> SelectedTripIds() const;

    // One change for every selected trip (bulk or one cell); false, after a
    // message, when the ledger refused it.
    bool ApplyToSelection(const ledger::TripEdit& edit);
    // The panel's choices ("(그대로)" fields left as they are).
    bool ApplyPanelToSelection();
    // The classification rules over the selected trips that are unclassified.
    bool ApplyRulesToSelection();
    // Takes back the last change made in this window (also in the history).
    bool Undo();
    bool canUndo() const { return !undo_.empty(); }

    // The forms through the popups ("인쇄", "PDF 저장"); a period with
    // unclassified trips asks first.
    void ShowLogReport();
    void ShowRefundReport();
    bool SaveXlsx();
    bool SaveCsv();
    bool SaveGpx();
    void OpenRules();
    void OpenOdometer();

    QString footerText() const;
    YearTableModel* model() const { return model_; }
    YearFilterModel* filterModel() const { return filter_; }
    QTableView* table() const { return table_; }
    LedgerHistoryModel* historyModel() const { return history_; }
    LedgerMapView* mapView() const { return map_; }
    QTabWidget* tabs() const { return tabs_; }
    QComboBox* carCombo() const { return carCombo_; }
    QComboBox* yearCombo() const { return yearCombo_; }
    QComboBox* filterCombo() const { return filterCombo_; }
    QLineEdit* searchEdit() const { return search_; }
    QComboBox* bulkUse() const { return bulkUse_; }
    QLineEdit* bulkPurpose() const { return bulkPurpose_; }
    CHtmlDlgTrackOutNew* logPopup() const { return logPopup_; }
    CHtmlDlgTrackOutOld* refundPopup() const { return refundPopup_; }

signals:
    // The window wrote to the ledger (a classification, an undo, a reading).
    void ledgerChanged();

protected:
    bool event(QEvent* event) override;

private:
    struct UndoStep {
        QString what;
        std::vector<ledger::TripChange> changes;
    };
    void BuildWidgets();
    void BuildMenus();
    void FillYears(int preferred);
    void FillFilterChoices();
    void OnFilterChosen();
    void OnSelectionChanged();
    void DrawSelection();
    void OnDoubleClicked(const QModelIndex& index);
    bool EditCell(qint64 tripId, int column, const QString& value);
    bool Apply(const std::vector<int64_t>& ids, const ledger::TripEdit& edit, const QString& what);
    void Remember(const QString& what, ledger::ClassifyResult& result);
    void Changed();
    void RestoreSelection(const std::vector<int64_t>& ids);
    void RefreshHistory();
    void Warn(const QString& text);
    // The log of the report period; false, after a message, when unavailable.
    bool ReportLog(ledger::OfficialLog& log);
    bool AskAboutUnclassified(const ledger::OfficialLog& log);
    QString AskFile(const QString& filter, const QString& extension);
    bool Saved(bool ok, const QString& path, const std::string& error);

    YearWindowOptions options_;
    ledger::Car car_;
    int year_ = 0;
    ledger::Period yearPeriod_;
    std::vector<UndoStep> undo_;
    QElapsedTimer sinceReload_;

    YearTableModel* model_;
    YearFilterModel* filter_;
    LedgerHistoryModel* history_;
    QTableView* table_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    LedgerMapView* map_ = nullptr;
    QComboBox* carCombo_ = nullptr;
    QComboBox* yearCombo_ = nullptr;
    QComboBox* filterCombo_ = nullptr;
    QLineEdit* search_ = nullptr;
    QCheckBox* periodCheck_ = nullptr;
    QDateEdit* periodFrom_ = nullptr;
    QDateEdit* periodTo_ = nullptr;
    QLabel* selectionLabel_ = nullptr;
    QComboBox* bulkUse_ = nullptr;
    QLineEdit* bulkPurpose_ = nullptr;
    QLineEdit* bulkNote_ = nullptr;
    QComboBox* bulkDriver_ = nullptr;
    QPushButton* undoButton_ = nullptr;
    QLabel* footer_ = nullptr;
    QTimer* mapTimer_ = nullptr;
    CHtmlDlgTrackOutNew* logPopup_ = nullptr;
    CHtmlDlgTrackOutOld* refundPopup_ = nullptr;
    bool filling_ = false;  // the pickers are being filled: no reloads
};

}  // namespace ml
