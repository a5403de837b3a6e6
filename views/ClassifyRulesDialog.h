#pragma once
// 설정 > 분류 규칙: the named places (a name, a point typed or picked on the
// map, a radius, the car it belongs to or every car), the working hours and
// days, and the rules in the order they are tried. Saved into the ledger, so
// every PC of a company classifies alike; a save that another PC beat is
// refused with a message rather than overwriting its rules.
#include <QDialog>
#include <cstdint>
#include <string>

#include "core/ledger/ClassifyRules.h"

class QCheckBox;
class QPushButton;
class QTableWidget;
class QTimeEdit;

namespace ml {

namespace ledger {
class Ledger;
}
class LedgerMapView;
class UserPrompts;

class ClassifyRulesDialog : public QDialog {
    Q_OBJECT
public:
    enum PlaceColumn { kPlaceName, kPlaceLatitude, kPlaceLongitude, kPlaceRadius, kPlaceCar, kPlaceColumns };
    enum RuleColumn { kRuleWhere, kRulePlaceA, kRulePlaceB, kRuleTime, kRuleUse, kRulePurpose, kRuleColumns };

    // `regNo`: the car whose own places the dialog offers besides shared
    // ones. Without `showMap` there is no map (points are typed).
    ClassifyRulesDialog(ledger::Ledger& ledger, UserPrompts& prompts, std::string regNo, const QString& tileUrl,
                        bool showMap, QWidget* parent = nullptr);

    // Reads the stored rules into the dialog (a message when they cannot be read).
    void Load();
    void ShowRules(const ledger::RuleSet& rules);
    // The set as the dialog shows it; false, after a message, when a cell
    // does not read (a number that is none) or the set has a problem.
    bool CollectRules(ledger::RuleSet& rules);
    // Stores the set; false, after a message, when it was not stored.
    bool Save();

    QTableWidget* placeTable() const { return places_; }
    QTableWidget* ruleTable() const { return rules_; }
    QPushButton* pickButton() const { return pick_; }
    LedgerMapView* mapView() const { return map_; }

    void accept() override;

signals:
    void rulesSaved();

private:
    void AddPlaceRow(const ledger::NamedPlace& place);
    void AddRuleRow(const ledger::ClassifyRule& rule);
    ledger::ClassifyRule RuleOfRow(int row) const;
    void MoveRule(int delta);
    void OnPointPicked(double latitude, double longitude);
    void RefreshPlaceChoices();
    void ShowPlacesOnMap(bool fit);

    ledger::Ledger& ledger_;
    UserPrompts& prompts_;
    std::string regNo_;
    int64_t revision_ = 0;
    QTableWidget* places_;
    QTableWidget* rules_;
    QTimeEdit* workStart_;
    QTimeEdit* workEnd_;
    QCheckBox* days_[7] = {};
    QPushButton* pick_;
    LedgerMapView* map_ = nullptr;
};

}  // namespace ml
