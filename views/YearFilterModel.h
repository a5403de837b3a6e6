#pragma once
// Narrows the year's rows to what the user is working on: the unclassified
// trips, one month, one use, or trips whose purpose, note or addresses hold
// a text. Rows keep the log's time order (no sorting). Monthly subtotals and
// 기록되지 않은 주행 rows are shown only while no trip filter is on (with
// one month chosen, that month's).
#include <QSortFilterProxyModel>
#include <QString>

#include "core/ledger/LedgerTypes.h"

namespace ml {

struct YearFilter {
    enum class Kind { All, Unclassified, Month, UseIs };
    Kind kind = Kind::All;
    QString month;                                // "2026-03" for Month
    ledger::Use use = ledger::Use::Unclassified;  // for UseIs
    QString text;                                 // in purpose, note, start or end address; empty: any
};

class YearFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit YearFilterModel(QObject* parent = nullptr);

    void setFilter(const YearFilter& filter);
    const YearFilter& filter() const { return filter_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    YearFilter filter_;
};

}  // namespace ml
