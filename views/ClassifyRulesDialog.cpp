#include "views/ClassifyRulesDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "store/ledger/Ledger.h"
#include "views/LedgerMapView.h"
#include "views/QtText.h"
#include "views/UserPrompts.h"

namespace ml {

using ledger::ClassifyRule;
using ledger::NamedPlace;
using ledger::RulePlaces;
using ledger::RuleTime;
using ledger::Use;

namespace {

constexpr const char* kDayNames[7] = {"일", "월", "화", "수", "목", "금", "토"};
constexpr Use kRuleUses[] = {Use::Commute, Use::Business, Use::Unclassified};

QString Number(double value, int decimals) { return QLocale::c().toString(value, 'f', decimals); }

QComboBox* Combo(const QStringList& items, int current) {
    auto* combo = new QComboBox;
    combo->addItems(items);
    combo->setCurrentIndex(current);
    return combo;
}

QComboBox* ComboAt(const QTableWidget* table, int row, int column) {
    return qobject_cast<QComboBox*>(table->cellWidget(row, column));
}

QString CellText(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text().trimmed() : QString();
}

QPushButton* Button(const QString& text, QWidget* parent, QHBoxLayout* row) {
    auto* button = new QPushButton(text, parent);
    row->addWidget(button);
    return button;
}

}  // namespace

ClassifyRulesDialog::ClassifyRulesDialog(ledger::Ledger& ledger, UserPrompts& prompts, std::string regNo,
                                         const QString& tileUrl, bool showMap, QWidget* parent)
    : QDialog(parent),
      ledger_(ledger),
      prompts_(prompts),
      regNo_(std::move(regNo)),
      places_(new QTableWidget(0, kPlaceColumns, this)),
      rules_(new QTableWidget(0, kRuleColumns, this)),
      workStart_(new QTimeEdit(this)),
      workEnd_(new QTimeEdit(this)),
      pick_(new QPushButton(QStringLiteral("지도에서 고르기"), this)) {
    setObjectName(QStringLiteral("classifyRulesDialog"));
    setWindowTitle(QStringLiteral("분류 규칙"));
    resize(showMap ? 1180 : 760, 680);

    places_->setHorizontalHeaderLabels({QStringLiteral("이름"), QStringLiteral("위도"), QStringLiteral("경도"),
                                        QStringLiteral("반경(m)"), QStringLiteral("차량")});
    places_->horizontalHeader()->setSectionResizeMode(kPlaceName, QHeaderView::Stretch);
    places_->setSelectionBehavior(QAbstractItemView::SelectRows);
    places_->verticalHeader()->hide();
    rules_->setHorizontalHeaderLabels({QStringLiteral("조건"), QStringLiteral("장소 A"), QStringLiteral("장소 B"),
                                       QStringLiteral("시간"), QStringLiteral("사용용도"), QStringLiteral("운행목적")});
    rules_->horizontalHeader()->setSectionResizeMode(kRulePurpose, QHeaderView::Stretch);
    rules_->setSelectionBehavior(QAbstractItemView::SelectRows);
    workStart_->setDisplayFormat(QStringLiteral("HH:mm"));
    workEnd_->setDisplayFormat(QStringLiteral("HH:mm"));
    pick_->setCheckable(true);

    auto* placeBox =
        new QGroupBox(QStringLiteral("장소 (출발지나 도착지가 반경 안이면 주소 대신 이름을 씁니다)"), this);
    auto* placeLayout = new QVBoxLayout(placeBox);
    placeLayout->addWidget(places_);
    auto* placeButtons = new QHBoxLayout;
    QPushButton* addPlace = Button(QStringLiteral("장소 추가"), this, placeButtons);
    QPushButton* removePlace = Button(QStringLiteral("장소 삭제"), this, placeButtons);
    placeButtons->addWidget(pick_);
    placeButtons->addStretch();
    placeLayout->addLayout(placeButtons);

    auto* hoursBox = new QGroupBox(QStringLiteral("근무 시간"), this);
    auto* hoursLayout = new QHBoxLayout(hoursBox);
    hoursLayout->addWidget(workStart_);
    hoursLayout->addWidget(new QLabel(QStringLiteral("~"), this));
    hoursLayout->addWidget(workEnd_);
    hoursLayout->addSpacing(16);
    for (int d = 0; d < 7; ++d) {
        days_[d] = new QCheckBox(QString::fromUtf8(kDayNames[d]), this);
        hoursLayout->addWidget(days_[d]);
    }
    hoursLayout->addStretch();

    auto* ruleBox = new QGroupBox(
        QStringLiteral("규칙 (위에서부터 처음 맞는 규칙이 정합니다. 비업무용은 규칙으로 정하지 않습니다)"), this);
    auto* ruleLayout = new QVBoxLayout(ruleBox);
    ruleLayout->addWidget(rules_);
    auto* ruleButtons = new QHBoxLayout;
    QPushButton* addRule = Button(QStringLiteral("규칙 추가"), this, ruleButtons);
    QPushButton* removeRule = Button(QStringLiteral("규칙 삭제"), this, ruleButtons);
    QPushButton* up = Button(QStringLiteral("위로"), this, ruleButtons);
    QPushButton* down = Button(QStringLiteral("아래로"), this, ruleButtons);
    ruleButtons->addStretch();
    ruleLayout->addLayout(ruleButtons);

    auto* endButtons = new QHBoxLayout;
    endButtons->addStretch();
    QPushButton* save = Button(QStringLiteral("저장"), this, endButtons);
    QPushButton* cancel = Button(QStringLiteral("취소"), this, endButtons);
    save->setObjectName(QStringLiteral("saveButton"));
    save->setDefault(true);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(placeBox, 3);
    leftLayout->addWidget(hoursBox);
    leftLayout->addWidget(ruleBox, 4);
    leftLayout->addLayout(endButtons);

    auto* layout = new QHBoxLayout(this);
    if (showMap) {
        auto* split = new QSplitter(this);
        split->addWidget(left);
        map_ = new LedgerMapView(tileUrl, split);
        split->addWidget(map_);
        split->setSizes({720, 440});
        layout->addWidget(split);
        connect(map_, &LedgerMapView::pointPicked, this, &ClassifyRulesDialog::OnPointPicked);
    } else {
        layout->addWidget(left);
        pick_->setEnabled(false);
    }

    connect(addPlace, &QPushButton::clicked, this, [this] {
        AddPlaceRow({QStringLiteral("새 장소 %1").arg(places_->rowCount() + 1).toStdString(), 0, 0,
                     ledger::kDefaultPlaceRadiusM, ""});
        places_->selectRow(places_->rowCount() - 1);
        RefreshPlaceChoices();
    });
    connect(removePlace, &QPushButton::clicked, this, [this] {
        if (places_->currentRow() >= 0) places_->removeRow(places_->currentRow());
        RefreshPlaceChoices();
        ShowPlacesOnMap(false);
    });
    connect(pick_, &QPushButton::toggled, this, [this](bool on) {
        if (map_) map_->SetPicking(on);
    });
    connect(places_, &QTableWidget::itemChanged, this, [this] {
        RefreshPlaceChoices();
        ShowPlacesOnMap(false);
    });
    connect(addRule, &QPushButton::clicked, this, [this] { AddRuleRow({}); });
    connect(removeRule, &QPushButton::clicked, this, [this] {
        if (rules_->currentRow() >= 0) rules_->removeRow(rules_->currentRow());
    });
    connect(up, &QPushButton::clicked, this, [this] { MoveRule(-1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveRule(1); });
    connect(save, &QPushButton::clicked, this, &ClassifyRulesDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    Load();
}

void ClassifyRulesDialog::Load() {
    ledger::RuleSet rules;
    const ledger::Status s = ledger_.Rules(rules, revision_);
    if (!s.ok()) prompts_.Message(this, ToQString(s.message()), QStringLiteral("경고"));
    ShowRules(rules);
}

void ClassifyRulesDialog::ShowRules(const ledger::RuleSet& rules) {
    {
        const QSignalBlocker quiet(places_);
        places_->setRowCount(0);
        for (const NamedPlace& p : rules.places) AddPlaceRow(p);
    }
    workStart_->setTime(QTime(rules.hours.startMinute / 60, rules.hours.startMinute % 60));
    workEnd_->setTime(rules.hours.endMinute >= 24 * 60 ? QTime(23, 59)
                                                       : QTime(rules.hours.endMinute / 60, rules.hours.endMinute % 60));
    for (int d = 0; d < 7; ++d) days_[d]->setChecked(((rules.hours.days >> d) & 1) != 0);
    rules_->setRowCount(0);
    for (const ClassifyRule& r : rules.rules) AddRuleRow(r);
    RefreshPlaceChoices();
    ShowPlacesOnMap(true);
}

void ClassifyRulesDialog::AddPlaceRow(const NamedPlace& place) {
    const QSignalBlocker quiet(places_);
    const int row = places_->rowCount();
    places_->insertRow(row);
    places_->setItem(row, kPlaceName, new QTableWidgetItem(ToQString(place.name)));
    const bool placed = place.latitude != 0 || place.longitude != 0;
    places_->setItem(row, kPlaceLatitude, new QTableWidgetItem(placed ? Number(place.latitude, 6) : QString()));
    places_->setItem(row, kPlaceLongitude, new QTableWidgetItem(placed ? Number(place.longitude, 6) : QString()));
    places_->setItem(row, kPlaceRadius, new QTableWidgetItem(Number(place.radiusM, 0)));
    QStringList cars = {QStringLiteral("모든 차량")};
    if (!regNo_.empty()) cars << ToQString(regNo_);
    if (!place.regNo.empty() && place.regNo != regNo_) cars << ToQString(place.regNo);
    places_->setCellWidget(row, kPlaceCar,
                           Combo(cars, place.regNo.empty() ? 0 : int(cars.indexOf(ToQString(place.regNo)))));
}

void ClassifyRulesDialog::AddRuleRow(const ClassifyRule& rule) {
    const int row = rules_->rowCount();
    rules_->insertRow(row);
    QStringList wheres, times, uses;
    for (auto w : {RulePlaces::Any, RulePlaces::Between, RulePlaces::StartsOrEnds})
        wheres << ToQString(std::string(RulePlacesText(w)));
    for (auto t : {RuleTime::Always, RuleTime::WorkingDays, RuleTime::WorkingHours, RuleTime::OutsideWorkingHours}) {
        times << ToQString(std::string(RuleTimeText(t)));
    }
    int useIndex = 0;
    for (size_t i = 0; i < std::size(kRuleUses); ++i) {
        uses << ToQString(std::string(ledger::RuleUseText(kRuleUses[i])));
        if (kRuleUses[i] == rule.use) useIndex = int(i);
    }
    rules_->setCellWidget(row, kRuleWhere, Combo(wheres, int(rule.places)));
    for (int column : {kRulePlaceA, kRulePlaceB}) {
        auto* place = Combo({}, -1);
        place->setEditable(true);
        place->setEditText(ToQString(column == kRulePlaceA ? rule.placeA : rule.placeB));
        rules_->setCellWidget(row, column, place);
    }
    rules_->setCellWidget(row, kRuleTime, Combo(times, int(rule.time)));
    rules_->setCellWidget(row, kRuleUse, Combo(uses, useIndex));
    rules_->setItem(row, kRulePurpose, new QTableWidgetItem(ToQString(rule.purpose)));
    RefreshPlaceChoices();
}

ClassifyRule ClassifyRulesDialog::RuleOfRow(int row) const {
    ClassifyRule rule;
    rule.places = RulePlaces(ComboAt(rules_, row, kRuleWhere)->currentIndex());
    rule.placeA = ToStdString(ComboAt(rules_, row, kRulePlaceA)->currentText().trimmed());
    rule.placeB = ToStdString(ComboAt(rules_, row, kRulePlaceB)->currentText().trimmed());
    rule.time = RuleTime(ComboAt(rules_, row, kRuleTime)->currentIndex());
    rule.use = kRuleUses[ComboAt(rules_, row, kRuleUse)->currentIndex()];
    rule.purpose = ToStdString(CellText(rules_, row, kRulePurpose));
    return rule;
}

void ClassifyRulesDialog::MoveRule(int delta) {
    const int row = rules_->currentRow();
    const int to = row + delta;
    if (row < 0 || to < 0 || to >= rules_->rowCount()) return;
    // Rebuilt from what the rows hold: cell widgets cannot be moved between rows.
    std::vector<ClassifyRule> list;
    for (int r = 0; r < rules_->rowCount(); ++r) list.push_back(RuleOfRow(r));
    std::swap(list[size_t(row)], list[size_t(to)]);
    rules_->setRowCount(0);
    for (const ClassifyRule& r : list) AddRuleRow(r);
    rules_->selectRow(to);
}

bool ClassifyRulesDialog::CollectRules(ledger::RuleSet& out) {
    ledger::RuleSet set;
    auto refuse = [this](const QString& text) {
        prompts_.Message(this, text, QStringLiteral("경고"));
        return false;
    };
    for (int r = 0; r < places_->rowCount(); ++r) {
        NamedPlace p;
        p.name = ToStdString(CellText(places_, r, kPlaceName));
        bool okLat = false, okLon = false, okRadius = false;
        p.latitude = QLocale::c().toDouble(CellText(places_, r, kPlaceLatitude), &okLat);
        p.longitude = QLocale::c().toDouble(CellText(places_, r, kPlaceLongitude), &okLon);
        p.radiusM = QLocale::c().toDouble(CellText(places_, r, kPlaceRadius), &okRadius);
        if (!okLat || !okLon)
            return refuse(
                QStringLiteral("장소 '%1'의 위치를 숫자로 입력하거나 지도에서 고르십시오").arg(ToQString(p.name)));
        if (!okRadius) return refuse(QStringLiteral("장소 '%1'의 반경을 숫자로 입력하십시오").arg(ToQString(p.name)));
        if (QComboBox* car = ComboAt(places_, r, kPlaceCar); car && car->currentIndex() > 0) {
            p.regNo = ToStdString(car->currentText());
        }
        set.places.push_back(std::move(p));
    }
    set.hours.startMinute = workStart_->time().hour() * 60 + workStart_->time().minute();
    set.hours.endMinute = workEnd_->time().hour() * 60 + workEnd_->time().minute();
    if (workEnd_->time() == QTime(23, 59)) set.hours.endMinute = 24 * 60;
    set.hours.days = 0;
    for (int d = 0; d < 7; ++d) {
        if (days_[d]->isChecked()) set.hours.days = uint8_t(set.hours.days | (1u << d));
    }
    for (int r = 0; r < rules_->rowCount(); ++r) {
        ClassifyRule rule = RuleOfRow(r);
        // Places a rule's kind does not use are not kept with it.
        if (rule.places == RulePlaces::Any) rule.placeA.clear();
        if (rule.places != RulePlaces::Between) rule.placeB.clear();
        set.rules.push_back(std::move(rule));
    }
    if (const std::string problem = ledger::CheckRuleSet(set); !problem.empty()) return refuse(ToQString(problem));
    out = std::move(set);
    return true;
}

bool ClassifyRulesDialog::Save() {
    ledger::RuleSet set;
    if (!CollectRules(set)) return false;
    const ledger::Status s = ledger_.SaveRules(set, revision_);
    if (!s.ok()) {
        prompts_.Message(this, ToQString(s.message()), QStringLiteral("경고"));
        return false;
    }
    emit rulesSaved();
    return true;
}

void ClassifyRulesDialog::accept() {
    if (Save()) QDialog::accept();
}

void ClassifyRulesDialog::OnPointPicked(double latitude, double longitude) {
    if (!pick_->isChecked()) return;
    int row = places_->currentRow();
    if (row < 0) {
        AddPlaceRow({QStringLiteral("새 장소 %1").arg(places_->rowCount() + 1).toStdString(), latitude, longitude,
                     ledger::kDefaultPlaceRadiusM, ""});
        row = places_->rowCount() - 1;
        places_->selectRow(row);
    }
    {
        const QSignalBlocker quiet(places_);
        places_->item(row, kPlaceLatitude)->setText(Number(latitude, 6));
        places_->item(row, kPlaceLongitude)->setText(Number(longitude, 6));
    }
    RefreshPlaceChoices();
    ShowPlacesOnMap(false);
}

void ClassifyRulesDialog::RefreshPlaceChoices() {
    QStringList names;
    for (int r = 0; r < places_->rowCount(); ++r) {
        const QString name = CellText(places_, r, kPlaceName);
        if (!name.isEmpty() && !names.contains(name)) names << name;
    }
    for (int r = 0; r < rules_->rowCount(); ++r) {
        for (int column : {kRulePlaceA, kRulePlaceB}) {
            QComboBox* combo = ComboAt(rules_, r, column);
            if (!combo) continue;
            const QString text = combo->currentText();
            combo->clear();
            combo->addItems(names);
            combo->setEditText(text);
        }
    }
}

void ClassifyRulesDialog::ShowPlacesOnMap(bool fit) {
    if (!map_) return;
    std::vector<NamedPlace> shown;
    for (int r = 0; r < places_->rowCount(); ++r) {
        bool okLat = false, okLon = false, okRadius = false;
        NamedPlace p{ToStdString(CellText(places_, r, kPlaceName)),
                     QLocale::c().toDouble(CellText(places_, r, kPlaceLatitude), &okLat),
                     QLocale::c().toDouble(CellText(places_, r, kPlaceLongitude), &okLon),
                     QLocale::c().toDouble(CellText(places_, r, kPlaceRadius), &okRadius), ""};
        if (okLat && okLon && okRadius) shown.push_back(std::move(p));
    }
    map_->ShowPlaces(shown, fit);
}

}  // namespace ml
