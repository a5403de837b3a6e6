#include "views/LedgerHistoryModel.h"

#include <algorithm>

#include "core/ledger/LedgerCalendar.h"
#include "views/QtText.h"

namespace ml {

namespace {
const char* const kHeaders[LedgerHistoryModel::kColumnCount] = {"고친 때", "주행", "항목", "이전", "이후", "고친 사람"};
}  // namespace

LedgerHistoryModel::LedgerHistoryModel(QObject* parent) : QAbstractTableModel(parent) {}

void LedgerHistoryModel::SetEntries(std::vector<ledger::HistoryEntry> entries) {
    std::reverse(entries.begin(), entries.end());
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

QString LedgerHistoryModel::FieldText(const std::string& field) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"use", "사용용도"},       {"purpose", "운행목적"}, {"note", "비고"}, {"driver", "운전자"},
        {"reading", "주행거리계"}, {"trip", "주행"},        {"car", "차량"}};
    for (const auto& [key, name] : kNames) {
        if (field == key) return QString::fromUtf8(name);
    }
    return ToQString(field);
}

int LedgerHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(entries_.size());
}

int LedgerHistoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant LedgerHistoryModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || index.row() < 0 || index.row() >= rowCount()) return {};
    const ledger::HistoryEntry& e = entries_[size_t(index.row())];
    switch (index.column()) {
        case kWhen: return ToQString(ledger::SecondText(e.at));
        case kTrip:
            return e.tripId == 0
                       ? QString()
                       : QStringLiteral("#%1 %2").arg(e.tripId).arg(ToQString(ledger::MinuteText(e.tripStart)));
        case kField: return FieldText(e.field);
        case kOld: return ToQString(e.oldValue);
        case kNew: return ToQString(e.newValue);
        case kBy: return ToQString(e.by);
        default: return {};
    }
}

QVariant LedgerHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kHeaders[section]);
}

}  // namespace ml
