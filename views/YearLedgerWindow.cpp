#include "views/YearLedgerWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "core/FormText.h"
#include "core/ReportStatements.h"
#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "core/ledger/LedgerExport.h"
#include "store/ledger/export/LogXlsx.h"
#include "store/platform/FileIo.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"
#include "views/ClassifyRulesDialog.h"
#include "views/LedgerHistoryModel.h"
#include "views/LedgerMapView.h"
#include "views/OdometerDialog.h"
#include "views/PageScriptView.h"
#include "views/QtText.h"
#include "views/UserPrompts.h"
#include "views/YearFilterModel.h"
#include "views/YearItemDelegate.h"
#include "views/YearTableModel.h"

namespace ml {

using ledger::LogRow;
using ledger::Status;
using ledger::TripEdit;
using ledger::Use;

namespace {

const QString kKeep = QStringLiteral("(그대로)");

// The map draws at most this many selected trips.
constexpr size_t kMapTrips = 400;

// "부서/성명" as the driver cells and combos write it; empty: the car's driver.
void SetDriver(TripEdit& edit, const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype slash = trimmed.indexOf(QLatin1Char('/'));
    edit.driverDept = slash < 0 ? std::string() : ToStdString(trimmed.left(slash).trimmed());
    edit.driverName = ToStdString(slash < 0 ? trimmed : trimmed.mid(slash + 1).trimmed());
}

std::optional<Use> UseOfText(const QString& text) {
    const int index = int(YearTableModel::UseChoices().indexOf(text));
    return index < 0 ? std::nullopt : std::optional<Use>(Use(index));
}

QDate ToQDate(int64_t time) {
    const ledger::CivilDate d = ledger::ToCivil(time).date;
    return QDate(d.year, d.month, d.day);
}

// Fixed row heights and column widths: a year of rows lays out without
// measuring each one.
void FixRows(QTableView* view, std::initializer_list<int> widths) {
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(22);
    int column = 0;
    for (const int width : widths) view->setColumnWidth(column++, width);
    view->horizontalHeader()->setStretchLastSection(true);
}

}  // namespace

YearLedgerWindow::YearLedgerWindow(YearWindowOptions options, QWidget* parent)
    : QMainWindow(parent),
      options_(std::move(options)),
      model_(new YearTableModel(this)),
      filter_(new YearFilterModel(this)),
      history_(new LedgerHistoryModel(this)) {
    setObjectName(QStringLiteral("yearLedgerWindow"));
    setWindowTitle(QStringLiteral("연간 운행기록"));
    resize(options_.showMap ? 1360 : 1040, 760);
    filter_->setSourceModel(model_);
    model_->setEditor([this](qint64 id, int column, const QString& value) { return EditCell(id, column, value); });
    BuildWidgets();
    BuildMenus();
    logPopup_ = new CHtmlDlgTrackOutNew(this);
    refundPopup_ = new CHtmlDlgTrackOutOld(this);
    sinceReload_.start();
}

YearLedgerWindow::~YearLedgerWindow() {
    // The popups' pages answer pending evaluations while they go; they must
    // go before the window's members do.
    delete logPopup_;
    delete refundPopup_;
}

void YearLedgerWindow::BuildWidgets() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* top = new QHBoxLayout;
    carCombo_ = new QComboBox(central);
    carCombo_->setMinimumContentsLength(10);
    yearCombo_ = new QComboBox(central);
    periodCheck_ = new QCheckBox(QStringLiteral("인쇄·저장 기간"), central);
    periodFrom_ = new QDateEdit(central);
    periodTo_ = new QDateEdit(central);
    for (QDateEdit* edit : {periodFrom_, periodTo_}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
    }
    filterCombo_ = new QComboBox(central);
    search_ = new QLineEdit(central);
    search_->setPlaceholderText(QStringLiteral("운행목적·비고·주소 검색"));
    search_->setClearButtonEnabled(true);
    auto* selectAll = new QPushButton(QStringLiteral("모두 선택"), central);
    top->addWidget(new QLabel(QStringLiteral("차량"), central));
    top->addWidget(carCombo_);
    top->addWidget(new QLabel(QStringLiteral("사업연도"), central));
    top->addWidget(yearCombo_);
    top->addSpacing(12);
    top->addWidget(periodCheck_);
    top->addWidget(periodFrom_);
    top->addWidget(new QLabel(QStringLiteral("~"), central));
    top->addWidget(periodTo_);
    top->addStretch();
    top->addWidget(new QLabel(QStringLiteral("보기"), central));
    top->addWidget(filterCombo_);
    top->addWidget(search_);
    top->addWidget(selectAll);
    layout->addLayout(top);

    table_ = new QTableView(central);
    table_->setObjectName(QStringLiteral("yearTable"));
    table_->setModel(filter_);
    table_->setItemDelegate(new YearItemDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    table_->setWordWrap(false);
    table_->setAlternatingRowColors(true);
    FixRows(table_, {118, 48, 48, 72, 84, 150, 110, 110, 190, 190});

    auto* historyView = new QTableView(central);
    historyView->setObjectName(QStringLiteral("historyTable"));
    historyView->setModel(history_);
    historyView->setSelectionBehavior(QAbstractItemView::SelectRows);
    FixRows(historyView, {140, 150, 80, 170, 170, 160});

    tabs_ = new QTabWidget(central);
    tabs_->addTab(table_, QStringLiteral("운행기록"));
    tabs_->addTab(historyView, QStringLiteral("수정 이력"));
    if (options_.showMap) {
        auto* split = new QSplitter(central);
        split->addWidget(tabs_);
        map_ = new LedgerMapView(options_.tileUrl, split);
        split->addWidget(map_);
        split->setStretchFactor(0, 3);
        split->setStretchFactor(1, 2);
        split->setSizes({860, 480});
        layout->addWidget(split, 1);
    } else {
        layout->addWidget(tabs_, 1);
    }

    auto* bulk = new QHBoxLayout;
    selectionLabel_ = new QLabel(QStringLiteral("선택한 주행 0건"), central);
    selectionLabel_->setMinimumWidth(110);
    bulkUse_ = new QComboBox(central);
    bulkUse_->addItem(kKeep);
    bulkUse_->addItems(YearTableModel::UseChoices());
    bulkPurpose_ = new QLineEdit(central);
    bulkPurpose_->setPlaceholderText(kKeep);
    bulkNote_ = new QLineEdit(central);
    bulkNote_->setPlaceholderText(kKeep);
    bulkDriver_ = new QComboBox(central);
    bulkDriver_->setEditable(true);
    bulkDriver_->setMinimumContentsLength(12);
    auto* apply = new QPushButton(QStringLiteral("적용"), central);
    apply->setObjectName(QStringLiteral("applyButton"));
    auto* rules = new QPushButton(QStringLiteral("규칙 적용"), central);
    rules->setObjectName(QStringLiteral("rulesButton"));
    undoButton_ = new QPushButton(QStringLiteral("되돌리기"), central);
    undoButton_->setEnabled(false);
    bulk->addWidget(selectionLabel_);
    bulk->addWidget(new QLabel(QStringLiteral("사용용도"), central));
    bulk->addWidget(bulkUse_);
    bulk->addWidget(new QLabel(QStringLiteral("운행목적"), central));
    bulk->addWidget(bulkPurpose_, 2);
    bulk->addWidget(new QLabel(QStringLiteral("비고"), central));
    bulk->addWidget(bulkNote_, 1);
    bulk->addWidget(new QLabel(QStringLiteral("운전자"), central));
    bulk->addWidget(bulkDriver_);
    bulk->addWidget(apply);
    bulk->addWidget(rules);
    bulk->addWidget(undoButton_);
    layout->addLayout(bulk);

    footer_ = new QLabel(central);
    footer_->setObjectName(QStringLiteral("yearFooter"));
    QFont bold = footer_->font();
    bold.setBold(true);
    footer_->setFont(bold);
    layout->addWidget(footer_);

    auto* bottom = new QHBoxLayout;
    auto* odometer = new QPushButton(QStringLiteral("주행거리계 기록"), central);
    auto* rulesDialog = new QPushButton(QStringLiteral("분류 규칙"), central);
    bottom->addWidget(odometer);
    bottom->addWidget(rulesDialog);
    bottom->addStretch();
    QPushButton* outputs[5];
    const char* outputNames[5] = {"운행기록부", "차량운행기록", "Excel 저장", "CSV 저장", "GPX 저장"};
    const char* outputIds[5] = {"logButton", "refundButton", "xlsxButton", "csvButton", "gpxButton"};
    for (int i = 0; i < 5; ++i) {
        outputs[i] = new QPushButton(QString::fromUtf8(outputNames[i]), central);
        outputs[i]->setObjectName(QString::fromLatin1(outputIds[i]));
        bottom->addWidget(outputs[i]);
    }
    layout->addLayout(bottom);
    setCentralWidget(central);

    mapTimer_ = new QTimer(this);
    mapTimer_->setSingleShot(true);
    mapTimer_->setInterval(120);
    connect(mapTimer_, &QTimer::timeout, this, &YearLedgerWindow::DrawSelection);

    connect(carCombo_, &QComboBox::currentIndexChanged, this, [this] {
        if (filling_) return;
        FillYears(0);
    });
    connect(yearCombo_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_ && yearCombo_->currentIndex() >= 0) ShowYear(car(), yearCombo_->currentData().toInt());
    });
    connect(periodCheck_, &QCheckBox::toggled, this, [this](bool on) {
        periodFrom_->setEnabled(on);
        periodTo_->setEnabled(on);
    });
    connect(filterCombo_, &QComboBox::currentIndexChanged, this, &YearLedgerWindow::OnFilterChosen);
    connect(search_, &QLineEdit::textChanged, this, &YearLedgerWindow::OnFilterChosen);
    connect(selectAll, &QPushButton::clicked, this, &YearLedgerWindow::SelectAllShown);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &YearLedgerWindow::OnSelectionChanged);
    connect(table_, &QTableView::doubleClicked, this, &YearLedgerWindow::OnDoubleClicked);
    connect(apply, &QPushButton::clicked, this, &YearLedgerWindow::ApplyPanelToSelection);
    connect(rules, &QPushButton::clicked, this, &YearLedgerWindow::ApplyRulesToSelection);
    connect(undoButton_, &QPushButton::clicked, this, &YearLedgerWindow::Undo);
    connect(odometer, &QPushButton::clicked, this, &YearLedgerWindow::OpenOdometer);
    connect(rulesDialog, &QPushButton::clicked, this, &YearLedgerWindow::OpenRules);
    connect(outputs[0], &QPushButton::clicked, this, &YearLedgerWindow::ShowLogReport);
    connect(outputs[1], &QPushButton::clicked, this, &YearLedgerWindow::ShowRefundReport);
    connect(outputs[2], &QPushButton::clicked, this, &YearLedgerWindow::SaveXlsx);
    connect(outputs[3], &QPushButton::clicked, this, &YearLedgerWindow::SaveCsv);
    connect(outputs[4], &QPushButton::clicked, this, &YearLedgerWindow::SaveGpx);
}

void YearLedgerWindow::BuildMenus() {
    auto add = [this](QMenu* menu, const QString& text, const QKeySequence& keys, auto handler) {
        QAction* action = menu->addAction(text);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("파일(&F)"));
    add(file, QStringLiteral("운행기록부..."), QKeySequence(QKeySequence::Print), &YearLedgerWindow::ShowLogReport);
    add(file, QStringLiteral("차량운행기록..."), {}, &YearLedgerWindow::ShowRefundReport);
    file->addSeparator();
    add(file, QStringLiteral("Excel 저장..."), {}, &YearLedgerWindow::SaveXlsx);
    add(file, QStringLiteral("CSV 저장..."), {}, &YearLedgerWindow::SaveCsv);
    add(file, QStringLiteral("GPX 저장..."), {}, &YearLedgerWindow::SaveGpx);
    file->addSeparator();
    add(file, QStringLiteral("닫기"), QKeySequence(QKeySequence::Close), &QWidget::close);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("편집(&E)"));
    add(edit, QStringLiteral("되돌리기"), QKeySequence(QKeySequence::Undo), &YearLedgerWindow::Undo);
    add(edit, QStringLiteral("보이는 주행 모두 선택"), QKeySequence(QKeySequence::SelectAll),
        &YearLedgerWindow::SelectAllShown);
    add(edit, QStringLiteral("선택한 주행에 규칙 적용"), {}, &YearLedgerWindow::ApplyRulesToSelection);
    add(edit, QStringLiteral("새로 고침"), QKeySequence(QKeySequence::Refresh), &YearLedgerWindow::Reload);
    QMenu* settings = menuBar()->addMenu(QStringLiteral("설정"));
    add(settings, QStringLiteral("분류 규칙..."), {}, &YearLedgerWindow::OpenRules);
    add(settings, QStringLiteral("주행거리계 기록..."), {}, &YearLedgerWindow::OpenOdometer);
}

QString YearLedgerWindow::car() const { return carCombo_->currentText(); }

void YearLedgerWindow::RefreshCars(const QString& preferred) {
    std::vector<ledger::Car> cars;
    const Status s = options_.ledger->Cars(cars);
    if (!s.ok()) return Warn(ToQString(s.message()));
    const QString keep = preferred.isEmpty() ? car() : preferred;
    // The same car keeps the year shown.
    const int keepYear = keep == car() ? year_ : 0;
    {
        filling_ = true;
        carCombo_->clear();
        for (const ledger::Car& c : cars) carCombo_->addItem(ToQString(c.regNo));
        const int at = carCombo_->findText(keep);
        carCombo_->setCurrentIndex(at >= 0 ? at : 0);
        filling_ = false;
    }
    if (cars.empty()) {
        footer_->setText(QStringLiteral("원장에 차량이 없습니다. 로그를 읽으면 설정의 차량으로 들어갑니다"));
        return;
    }
    FillYears(keepYear);
}

void YearLedgerWindow::FillYears(int preferred) {
    std::vector<int> years;
    const std::string regNo = ToStdString(car());
    ledger::Car found;
    if (Status s = options_.ledger->FindCar(regNo, found); !s.ok()) return Warn(ToQString(s.message()));
    if (Status s = options_.ledger->TripYears(regNo, years); !s.ok()) return Warn(ToQString(s.message()));
    if (years.empty()) years.push_back(ledger::BusinessYearOf(found.yearStart, std::time(nullptr)));
    filling_ = true;
    yearCombo_->clear();
    for (auto it = years.rbegin(); it != years.rend(); ++it) yearCombo_->addItem(QString::number(*it), *it);
    const int at = yearCombo_->findData(preferred);
    yearCombo_->setCurrentIndex(at >= 0 ? at : 0);
    filling_ = false;
    ShowYear(car(), yearCombo_->currentData().toInt());
}

void YearLedgerWindow::ShowYear(const QString& regNo, int year) {
    // The year already shown (after an import, say) keeps its filter,
    // selection and undo steps.
    const bool same = ToStdString(regNo) == car_.regNo && year == year_;
    if (Status s = options_.ledger->FindCar(ToStdString(regNo), car_); !s.ok()) return Warn(ToQString(s.message()));
    year_ = year;
    yearPeriod_ = ledger::BusinessYear(car_.yearStart, year);
    if (same) return Reload();
    undo_.clear();
    if (carCombo_->currentText() != regNo || yearCombo_->currentData().toInt() != year) {
        filling_ = true;
        carCombo_->setCurrentIndex(carCombo_->findText(regNo));
        if (yearCombo_->findData(year) < 0) yearCombo_->addItem(QString::number(year), year);
        yearCombo_->setCurrentIndex(yearCombo_->findData(year));
        filling_ = false;
    }
    periodFrom_->setDate(ToQDate(yearPeriod_.from));
    periodTo_->setDate(ToQDate(yearPeriod_.to - 1));
    setWindowTitle(QStringLiteral("연간 운행기록 - %1 %2 사업연도").arg(regNo).arg(year));
    FillFilterChoices();
    table_->clearSelection();
    Reload();
}

void YearLedgerWindow::Reload() {
    sinceReload_.restart();
    if (car_.regNo.empty()) return;
    ledger::OfficialLog log;
    if (Status s = options_.ledger->Log(car_.regNo, yearPeriod_, log); !s.ok()) {
        footer_->setText(QStringLiteral("원장을 읽지 못했습니다: %1").arg(ToQString(s.message())));
        return;
    }
    const std::vector<int64_t> selected = SelectedTripIds();
    QStringList drivers;
    auto addDriver = [&drivers](const std::string& dept, const std::string& name) {
        const QString text = ToQString(dept) + QLatin1Char('/') + ToQString(name);
        if ((!dept.empty() || !name.empty()) && !drivers.contains(text)) drivers << text;
    };
    addDriver(car_.dept, car_.name);
    for (const LogRow& row : log.rows) {
        if (row.kind == LogRow::Kind::Trip) addDriver(row.dept, row.name);
    }
    const int rowsBefore = model_->rowCount();
    model_->SetLog(std::move(log));
    model_->setDrivers(drivers);
    const QString typed = bulkDriver_->currentText();
    bulkDriver_->clear();
    bulkDriver_->addItem(kKeep);
    bulkDriver_->addItems(drivers);
    bulkDriver_->setCurrentText(typed.isEmpty() ? kKeep : typed);
    if (rowsBefore != model_->rowCount() || SelectedTripIds() != selected) RestoreSelection(selected);
    footer_->setText(footerText());
    RefreshHistory();
    undoButton_->setEnabled(canUndo());
}

QString YearLedgerWindow::footerText() const {
    const ledger::LogTotals& t = model_->log().totals;
    return QStringLiteral(
               "⑪ 총주행거리 %1 km    ⑫ 업무용 사용거리 %2 km    ⑬ 업무사용비율 %3 %    분류되지 않은 주행 %4건")
        .arg(ToQString(KmText(t.totalKm)), ToQString(KmText(t.businessKm)), ToQString(FixedText(t.sharePercent, 1)))
        .arg(t.unclassifiedCount);
}

void YearLedgerWindow::RefreshHistory() {
    std::vector<ledger::HistoryEntry> entries;
    if (options_.ledger->History(car_.regNo, entries).ok()) history_->SetEntries(std::move(entries));
}

void YearLedgerWindow::FillFilterChoices() {
    const QSignalBlocker quiet(filterCombo_);
    filterCombo_->clear();
    filterCombo_->addItem(QStringLiteral("전체"), QStringLiteral("all"));
    filterCombo_->addItem(QStringLiteral("미분류"), QStringLiteral("unclassified"));
    for (Use use : {Use::Commute, Use::Business, Use::Private}) {
        filterCombo_->addItem(YearTableModel::UseCellText(use), QStringLiteral("use:%1").arg(int(use)));
    }
    // The months of the business year, in its order.
    for (int m = 0; m < 12; ++m) {
        const ledger::CivilDate start = ledger::ToCivil(yearPeriod_.from).date;
        const int month = (start.month - 1 + m) % 12 + 1;
        const int year = start.year + (start.month - 1 + m) / 12;
        const QString key = QString::asprintf("%04d-%02d", year, month);
        filterCombo_->addItem(key, QStringLiteral("month:") + key);
    }
    filterCombo_->setCurrentIndex(0);
    OnFilterChosen();
}

void YearLedgerWindow::OnFilterChosen() {
    YearFilter f;
    const QString key = filterCombo_->currentData().toString();
    if (key == QStringLiteral("unclassified")) f.kind = YearFilter::Kind::Unclassified;
    if (key.startsWith(QStringLiteral("use:"))) {
        f.kind = YearFilter::Kind::UseIs;
        f.use = Use(key.mid(4).toInt());
    }
    if (key.startsWith(QStringLiteral("month:"))) {
        f.kind = YearFilter::Kind::Month;
        f.month = key.mid(6);
    }
    f.text = search_->text().trimmed();
    filter_->setFilter(f);
}

void YearLedgerWindow::SetFilter(const YearFilter& filter) { filter_->setFilter(filter); }

void YearLedgerWindow::SelectAllShown() { table_->selectAll(); }

std::vector<int64_t> YearLedgerWindow::SelectedTripIds() const {
    std::vector<int64_t> ids;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        const qlonglong id = index.data(YearTableModel::TripIdRole).toLongLong();
        if (id != 0) ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

void YearLedgerWindow::RestoreSelection(const std::vector<int64_t>& ids) {
    QItemSelection selection;
    for (const int64_t id : ids) {
        const QModelIndex index = filter_->mapFromSource(model_->index(model_->RowOfTrip(id), 0));
        if (index.isValid()) selection.select(index, index);
    }
    table_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void YearLedgerWindow::OnSelectionChanged() {
    selectionLabel_->setText(QStringLiteral("선택한 주행 %1건").arg(SelectedTripIds().size()));
    if (map_) mapTimer_->start();
}

void YearLedgerWindow::DrawSelection() {
    if (!map_) return;
    std::vector<int64_t> ids = SelectedTripIds();
    if (ids.size() > kMapTrips) ids.resize(kMapTrips);
    std::vector<ledger::TripWithFixes> trips;
    if (Status s = options_.ledger->TripFixes(ids, trips); !s.ok()) return Warn(ToQString(s.message()));
    map_->ShowTrips(trips);
}

void YearLedgerWindow::OnDoubleClicked(const QModelIndex& index) {
    const qlonglong id = index.data(YearTableModel::TripIdRole).toLongLong();
    if (id == 0 || !map_) return;
    if (mapTimer_->isActive()) {
        mapTimer_->stop();
        DrawSelection();
    }
    if (!map_->FitTrip(id)) {
        const int64_t one = id;
        std::vector<ledger::TripWithFixes> trips;
        if (options_.ledger->TripFixes({&one, 1}, trips).ok()) map_->ShowTrips(trips);
    }
}

bool YearLedgerWindow::EditCell(qint64 tripId, int column, const QString& value) {
    TripEdit edit;
    switch (column) {
        case YearTableModel::kUse:
            edit.use = UseOfText(value);
            if (!edit.use) return false;
            break;
        case YearTableModel::kPurpose: edit.purpose = ToStdString(value.trimmed()); break;
        case YearTableModel::kNote: edit.note = ToStdString(value.trimmed()); break;
        case YearTableModel::kDriver: SetDriver(edit, value); break;
        default: return false;
    }
    // A cell is its own trip's, whatever else is selected: changing many
    // trips is the panel's job, where it is plain to see.
    return Apply({tripId}, edit, model_->headerData(column, Qt::Horizontal).toString());
}

bool YearLedgerWindow::ApplyToSelection(const TripEdit& edit) {
    const std::vector<int64_t> ids = SelectedTripIds();
    if (ids.empty()) {
        Warn(QStringLiteral("먼저 주행을 선택하십시오"));
        return false;
    }
    return Apply(ids, edit, QStringLiteral("일괄 분류"));
}

bool YearLedgerWindow::ApplyPanelToSelection() {
    TripEdit edit;
    if (bulkUse_->currentIndex() > 0) edit.use = Use(bulkUse_->currentIndex() - 1);
    if (!bulkPurpose_->text().trimmed().isEmpty()) edit.purpose = ToStdString(bulkPurpose_->text().trimmed());
    if (!bulkNote_->text().trimmed().isEmpty()) edit.note = ToStdString(bulkNote_->text().trimmed());
    const QString driver = bulkDriver_->currentText().trimmed();
    if (!driver.isEmpty() && driver != kKeep) SetDriver(edit, driver);
    if (!edit.use && !edit.purpose && !edit.note && !edit.driverName) {
        Warn(QStringLiteral("바꿀 항목을 고르거나 입력하십시오"));
        return false;
    }
    if (!ApplyToSelection(edit)) return false;
    bulkUse_->setCurrentIndex(0);
    bulkPurpose_->clear();
    bulkNote_->clear();
    bulkDriver_->setCurrentIndex(0);
    return true;
}

bool YearLedgerWindow::Apply(const std::vector<int64_t>& ids, const TripEdit& edit, const QString& what) {
    ledger::ClassifyResult result;
    if (Status s = options_.ledger->Classify(ids, edit, result); !s.ok()) {
        Warn(ToQString(s.message()));
        return false;
    }
    Remember(QStringLiteral("%1 (%2건)").arg(what).arg(result.changedTrips), result);
    return true;
}

bool YearLedgerWindow::ApplyRulesToSelection() {
    const std::vector<int64_t> ids = SelectedTripIds();
    if (ids.empty()) {
        Warn(QStringLiteral("먼저 주행을 선택하십시오"));
        return false;
    }
    ledger::ClassifyResult result;
    if (Status s = options_.ledger->ApplyRules(car_.regNo, ids, result); !s.ok()) {
        Warn(ToQString(s.message()));
        return false;
    }
    statusBar()->showMessage(QStringLiteral("규칙으로 %1건을 분류했습니다").arg(result.changedTrips), 8000);
    Remember(QStringLiteral("규칙 적용"), result);
    return true;
}

void YearLedgerWindow::Remember(const QString& what, ledger::ClassifyResult& result) {
    if (result.changedTrips > 0) undo_.push_back({what, std::move(result.undo)});
    Changed();
}

bool YearLedgerWindow::Undo() {
    if (undo_.empty()) return false;
    const UndoStep step = std::move(undo_.back());
    undo_.pop_back();
    ledger::ClassifyResult result;
    const Status s = options_.ledger->ClassifyEach(step.changes, "되돌리기", result);
    if (!s.ok())
        Warn(QStringLiteral("%1을(를) 되돌리지 못했습니다: %2").arg(step.what, ToQString(s.message())));
    else
        statusBar()->showMessage(QStringLiteral("되돌렸습니다: %1").arg(step.what), 8000);
    Changed();
    return s.ok();
}

void YearLedgerWindow::Changed() {
    // Edits arrive from inside the table's editor; the rows are read again
    // once it has closed.
    QTimer::singleShot(0, this, &YearLedgerWindow::Reload);
    emit ledgerChanged();
}

void YearLedgerWindow::Warn(const QString& text) { options_.prompts->Message(this, text, QStringLiteral("경고")); }

void YearLedgerWindow::SetChosenPeriod(const std::optional<ledger::Period>& period) {
    periodCheck_->setChecked(period.has_value());
    if (!period) return;
    periodFrom_->setDate(ToQDate(period->from));
    periodTo_->setDate(ToQDate(period->to - 1));
}

std::optional<ledger::Period> YearLedgerWindow::ReportPeriod() {
    if (car_.regNo.empty()) {
        Warn(QStringLiteral("원장에 차량이 없습니다"));
        return std::nullopt;
    }
    if (!periodCheck_->isChecked()) return yearPeriod_;
    if (periodFrom_->date() > periodTo_->date()) {
        Warn(QStringLiteral("기간의 끝이 시작보다 앞섭니다"));
        return std::nullopt;
    }
    const QDate from = periodFrom_->date(), to = periodTo_->date();
    return ledger::DayPeriod({from.year(), from.month(), from.day()}, {to.year(), to.month(), to.day()});
}

bool YearLedgerWindow::ReportLog(ledger::OfficialLog& log) {
    const auto period = ReportPeriod();
    if (!period) return false;
    if (Status s = options_.ledger->Log(car_.regNo, *period, log); !s.ok()) {
        Warn(ToQString(s.message()));
        return false;
    }
    return true;
}

bool YearLedgerWindow::AskAboutUnclassified(const ledger::OfficialLog& log) {
    if (log.totals.unclassifiedCount == 0) return true;
    return options_.prompts->Question(this,
                                      QStringLiteral("분류되지 않은 주행이 %1건 있습니다. 그래도 인쇄하시겠습니까?")
                                          .arg(log.totals.unclassifiedCount),
                                      QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void YearLedgerWindow::ShowLogReport() {
    ledger::OfficialLog log;
    if (!ReportLog(log) || !AskAboutUnclassified(log)) return;
    logPopup_->Cancel();
    logPopup_->pageView()->CallPageScripts(ledger::LogPageStatements(log));
    logPopup_->show();
    logPopup_->raise();
}

void YearLedgerWindow::ShowRefundReport() {
    ledger::OfficialLog log;
    if (!ReportLog(log) || !AskAboutUnclassified(log)) return;
    const Settings settings = options_.settings ? options_.settings() : Settings{};
    // A setting that holds no number refuses the record rather than print a
    // wrong amount, as the track list's form does.
    if (const std::string problem = RefundReportSettingsProblem(settings); !problem.empty())
        return Warn(ToQString(problem));
    ledger::RefundRecord refund;
    const Status s =
        options_.ledger->Refund(car_.regNo, log.period, ParseTypedNumber(settings.carMileage).value_or(0.0),
                                ParseTypedNumber(settings.oilBill).value_or(0.0), refund);
    if (!s.ok()) return Warn(ToQString(s.message()));
    refundPopup_->Cancel();
    refundPopup_->pageView()->CallPageScripts(ledger::RefundPageStatements(refund));
    refundPopup_->show();
    refundPopup_->raise();
}

QString YearLedgerWindow::AskFile(const QString& filter, const QString& extension) {
    QString path = options_.prompts->SaveFileName(this, filter);
    if (!path.isEmpty() && !path.endsWith(extension, Qt::CaseInsensitive)) path += extension;
    return path;
}

bool YearLedgerWindow::Saved(bool ok, const QString& path, const std::string& error) {
    if (!ok)
        Warn(QStringLiteral("저장하지 못했습니다: %1").arg(ToQString(error)));
    else
        statusBar()->showMessage(QStringLiteral("저장했습니다: %1").arg(path), 8000);
    return ok;
}

bool YearLedgerWindow::SaveXlsx() {
    ledger::OfficialLog log;
    if (!ReportLog(log)) return false;
    const QString path = AskFile(QStringLiteral("Excel (*.xlsx)"), QStringLiteral(".xlsx"));
    if (path.isEmpty()) return false;
    std::string error;
    return Saved(ledger::WriteLogXlsx(log, ToStdString(path), error), path, error);
}

bool YearLedgerWindow::SaveCsv() {
    ledger::OfficialLog log;
    if (!ReportLog(log)) return false;
    const QString path = AskFile(QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"));
    if (path.isEmpty()) return false;
    std::string error;
    return Saved(WriteFileAtomically(ToStdString(path), ledger::LogCsv(log), error), path, error);
}

bool YearLedgerWindow::SaveGpx() {
    const auto period = ReportPeriod();
    if (!period) return false;
    std::vector<ledger::TripWithFixes> trips;
    if (Status s = options_.ledger->TripsWithFixesOf(car_.regNo, *period, trips); !s.ok()) {
        Warn(ToQString(s.message()));
        return false;
    }
    const QString path = AskFile(QStringLiteral("GPX (*.gpx)"), QStringLiteral(".gpx"));
    if (path.isEmpty()) return false;
    std::string error;
    return Saved(WriteFileAtomically(ToStdString(path), ledger::TripsGpx(car_, trips), error), path, error);
}

void YearLedgerWindow::OpenRules() {
    auto* dialog = new ClassifyRulesDialog(*options_.ledger, *options_.prompts, car_.regNo, options_.tileUrl,
                                           options_.showMap, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Named places change the addresses shown.
    connect(dialog, &ClassifyRulesDialog::rulesSaved, this, &YearLedgerWindow::Reload);
    dialog->open();
}

void YearLedgerWindow::OpenOdometer() {
    if (car_.regNo.empty()) return Warn(QStringLiteral("원장에 차량이 없습니다"));
    auto* dialog = new OdometerDialog(*options_.ledger, *options_.prompts, car_.regNo, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &OdometerDialog::readingsChanged, this, &YearLedgerWindow::Changed);
    dialog->open();
}

bool YearLedgerWindow::event(QEvent* e) {
    // Back to the window: what another PC or the program's imports wrote
    // meanwhile shows (not more often than every two seconds).
    if (e->type() == QEvent::WindowActivate && sinceReload_.elapsed() > 2000) {
        QTimer::singleShot(0, this, &YearLedgerWindow::Reload);
    }
    return QMainWindow::event(e);
}

}  // namespace ml
