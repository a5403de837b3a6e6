#include "views/YearFilterModel.h"

#include "core/ledger/OfficialLog.h"
#include "views/YearTableModel.h"

namespace ml {

YearFilterModel::YearFilterModel(QObject* parent) : QSortFilterProxyModel(parent) { setDynamicSortFilter(true); }

void YearFilterModel::setFilter(const YearFilter& filter) {
    filter_ = filter;
    invalidateRowsFilter();
}

bool YearFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    const QModelIndex index = sourceModel()->index(sourceRow, 0, sourceParent);
    const auto kind = ledger::LogRow::Kind(index.data(YearTableModel::KindRole).toInt());
    const bool trip = kind == ledger::LogRow::Kind::Trip;
    const bool byMonth = filter_.kind == YearFilter::Kind::Month;
    if (byMonth && index.data(YearTableModel::MonthRole).toString() != filter_.month) return false;
    if (!trip) return (filter_.kind == YearFilter::Kind::All || byMonth) && filter_.text.isEmpty();
    const auto use = ledger::Use(index.data(YearTableModel::UseRole).toInt());
    if (filter_.kind == YearFilter::Kind::Unclassified && use != ledger::Use::Unclassified) return false;
    if (filter_.kind == YearFilter::Kind::UseIs && use != filter_.use) return false;
    return filter_.text.isEmpty() ||
           index.data(YearTableModel::SearchRole).toString().contains(filter_.text, Qt::CaseInsensitive);
}

}  // namespace ml
