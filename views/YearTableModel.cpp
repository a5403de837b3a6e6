#include "views/YearTableModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "core/FormText.h"
#include "views/QtText.h"

namespace ml {

using ledger::LogRow;
using ledger::Use;

namespace {

const char* const kHeaders[YearTableModel::kColumnCount] = {"날짜",     "출발", "도착",   "거리(km)", "사용용도",
                                                            "운행목적", "비고", "운전자", "출발지",   "도착지"};

QString DriverText(const LogRow& row) {
    if (row.dept.empty() && row.name.empty()) return {};
    return ToQString(row.dept) + QLatin1Char('/') + ToQString(row.name);
}

QString Km(double km) { return ToQString(KmText(km)); }

// Rows keep their place when the same trips and months stand in the same order.
bool SameShape(const std::vector<LogRow>& a, const std::vector<LogRow>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].tripId != b[i].tripId || a[i].time != b[i].time) return false;
    }
    return true;
}

}  // namespace

QStringList YearTableModel::UseChoices() {
    return {UseCellText(Use::Unclassified), UseCellText(Use::Commute), UseCellText(Use::Business),
            UseCellText(Use::Private)};
}

QString YearTableModel::UseCellText(Use use) {
    return use == Use::Unclassified ? QStringLiteral("미분류") : ToQString(std::string(ledger::UseText(use)));
}

YearTableModel::YearTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void YearTableModel::SetLog(ledger::OfficialLog log) {
    if (SameShape(log_.rows, log.rows)) {
        log_ = std::move(log);
        if (!log_.rows.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
        return;
    }
    beginResetModel();
    log_ = std::move(log);
    endResetModel();
}

const LogRow* YearTableModel::RowAt(int row) const {
    return row >= 0 && row < rowCount() ? &log_.rows[size_t(row)] : nullptr;
}

int YearTableModel::RowOfTrip(qint64 tripId) const {
    for (size_t i = 0; i < log_.rows.size(); ++i) {
        if (log_.rows[i].kind == LogRow::Kind::Trip && log_.rows[i].tripId == tripId) return int(i);
    }
    return -1;
}

int YearTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(log_.rows.size()); }

int YearTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

bool YearTableModel::IsEditableColumn(int column) {
    return column == kUse || column == kPurpose || column == kNote || column == kDriver;
}

QString YearTableModel::Text(const LogRow& row, int column) const {
    if (row.kind == LogRow::Kind::MonthTotal) {
        switch (column) {
            case kDate: return ToQString(row.dateText) + QStringLiteral(" 소계");
            case kDistance: return Km(row.distanceKm);
            case kPurpose:
                return QStringLiteral("출퇴근용 %1 km · 일반업무용 %2 km").arg(Km(row.commuteKm), Km(row.businessKm));
            default: return {};
        }
    }
    switch (column) {
        case kDate: return ToQString(row.dateText);
        case kStart: return ToQString(row.startTimeText);
        case kEnd: return ToQString(row.endTimeText);
        case kDistance: return Km(row.distanceKm);
        case kUse: return row.kind == LogRow::Kind::Trip ? UseCellText(row.use) : QString();
        case kPurpose: return ToQString(row.purpose);
        case kNote: return ToQString(row.note);
        case kDriver: return row.kind == LogRow::Kind::Trip ? DriverText(row) : QString();
        case kFrom: return ToQString(row.startAddress);
        case kTo: return ToQString(row.endAddress);
        default: return {};
    }
}

QVariant YearTableModel::data(const QModelIndex& index, int role) const {
    const LogRow* row = RowAt(index.row());
    if (!row || index.column() < 0 || index.column() >= kColumnCount) return {};
    const bool trip = row->kind == LogRow::Kind::Trip;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (role == Qt::EditRole && index.column() == kUse) return UseCellText(row->use);
            return Text(*row, index.column());
        case Qt::ToolTipRole:
            if (trip && row->editedAfterPeriod) return QStringLiteral("기간이 끝난 뒤에 고친 주행입니다");
            return index.column() == kFrom || index.column() == kTo ? Text(*row, index.column()) : QVariant();
        case Qt::TextAlignmentRole:
            if (index.column() == kDistance) return int(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        case Qt::BackgroundRole:
            if (row->kind == LogRow::Kind::MonthTotal) return QBrush(QColor(0xE8, 0xEC, 0xF0));
            if (row->kind == LogRow::Kind::Unrecorded) return QBrush(QColor(0xFF, 0xF4, 0xD6));
            if (trip && row->use == Use::Unclassified && index.column() == kUse)
                return QBrush(QColor(0xFD, 0xE2, 0xE0));
            return {};
        case Qt::ForegroundRole:
            if (trip && row->use == Use::Unclassified && index.column() == kUse)
                return QBrush(QColor(0xB0, 0x20, 0x20));
            return {};
        case Qt::FontRole:
            if (row->kind == LogRow::Kind::MonthTotal) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case KindRole: return int(row->kind);
        case TripIdRole: return trip ? qlonglong(row->tripId) : qlonglong(0);
        case MonthRole: return ToQString(row->dateText.substr(0, 7));
        case UseRole: return int(row->use);
        case SearchRole:
            return ToQString(row->purpose + '\n' + row->note + '\n' + row->startAddress + '\n' + row->endAddress);
        default: return {};
    }
}

QVariant YearTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kHeaders[section]);
}

Qt::ItemFlags YearTableModel::flags(const QModelIndex& index) const {
    const LogRow* row = RowAt(index.row());
    if (!row) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (row->kind == LogRow::Kind::Trip && IsEditableColumn(index.column())) f |= Qt::ItemIsEditable;
    return f;
}

bool YearTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const LogRow* row = RowAt(index.row());
    if (role != Qt::EditRole || !row || row->kind != LogRow::Kind::Trip || !IsEditableColumn(index.column()) ||
        !editor_) {
        return false;
    }
    const QString text = value.toString();
    if (text == data(index, Qt::EditRole).toString()) return false;
    // The editor writes the change and hands the model the log again.
    return editor_(row->tripId, index.column(), text);
}

}  // namespace ml
