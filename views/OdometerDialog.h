#pragma once
// The odometer readings of one car: the list, a reading added (when, km,
// a note), a reading removed after a question. Each change goes through the
// ledger, which keeps it in the history and refuses a reading below the
// odometer chain.
#include <QDialog>
#include <cstdint>
#include <string>

class QDateTimeEdit;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace ml {

namespace ledger {
class Ledger;
}
class UserPrompts;

class OdometerDialog : public QDialog {
    Q_OBJECT
public:
    OdometerDialog(ledger::Ledger& ledger, UserPrompts& prompts, std::string regNo, QWidget* parent = nullptr);

    QTableWidget* list() const { return list_; }
    QDateTimeEdit* timeEdit() const { return time_; }
    QLineEdit* kmEdit() const { return km_; }
    QLineEdit* noteEdit() const { return note_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }

    void Reload();

signals:
    void readingsChanged();

private:
    void Add();
    void RemoveSelected();

    ledger::Ledger& ledger_;
    UserPrompts& prompts_;
    std::string regNo_;
    QTableWidget* list_;
    QDateTimeEdit* time_;
    QLineEdit* km_;
    QLineEdit* note_;
    QPushButton* add_;
    QPushButton* remove_;
};

}  // namespace ml
