#pragma once
// The audit trail of a car: every change the ledger recorded (classification,
// odometer readings, car details, trips merged away), newest first: when,
// which trip, which field, old → new, and who.
#include <QAbstractTableModel>
#include <vector>

#include "core/ledger/LedgerTypes.h"

namespace ml {

class LedgerHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kWhen, kTrip, kField, kOld, kNew, kBy, kColumnCount };

    explicit LedgerHistoryModel(QObject* parent = nullptr);

    // `entries` in the order they were written.
    void SetEntries(std::vector<ledger::HistoryEntry> entries);
    // "사용용도" for "use" and so on.
    static QString FieldText(const std::string& field);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<ledger::HistoryEntry> entries_;  // newest first
};

}  // namespace ml
