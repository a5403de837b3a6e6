#include "views/TrackListModel.h"

#include "views/QtText.h"
#include "views/UiThread.h"

namespace ml {

namespace {

const char* const kHeaders[TrackListModel::kColumnCount] = {
    "NO",       " ",        "트랙이름",         "사용용도",         "운행목적",       "트랙시간",      "이동거리",
    "시작시간", "종료시간", "시작위치(위경도)", "종료위치(위경도)", "시작위치(주소)", "종료위치(주소)"};

QColor TrackColor(uint32_t color) {  // 0x00BBGGRR
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

}  // namespace

const QStringList& TrackListModel::UseChoices() {
    static const QStringList choices = {QStringLiteral("출퇴근용"), QStringLiteral("일반업무용"),
                                        QStringLiteral("비업무용")};
    return choices;
}

TrackListModel::TrackListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TrackListModel::Reset(TrackList* tracks) {
    ML_ASSERT_UI_THREAD();
    beginResetModel();
    tracks_ = tracks;
    rows_.clear();
    if (tracks_) {
        rows_.reserve(tracks_->size());
        for (const TrackRecord& track : *tracks_) {
            Row row;
            const auto texts = TrackTexts(track);
            for (int t = 0; t < kTrackTextCount; ++t) row.texts[size_t(t)] = ToQString(*texts[size_t(t)]);
            row.color = TrackColor(track.color);
            rows_.push_back(std::move(row));
        }
    }
    endResetModel();
}

void TrackListModel::ReloadEntries(const std::vector<size_t>& rows) {
    for (const size_t r : rows) {
        const TrackRecord* track = TrackAt(int(r));
        if (!track) continue;
        rows_[r].texts[kColUse - kColName] = ToQString(track->use);
        rows_[r].texts[kColPurpose - kColName] = ToQString(track->purpose);
        emit dataChanged(index(int(r), kColUse), index(int(r), kColPurpose));
    }
}

TrackRecord* TrackListModel::TrackAt(int row) const {
    if (!tracks_ || row < 0 || row >= int(rows_.size()) || row >= int(tracks_->size())) return nullptr;
    return &(*tracks_)[size_t(row)];
}

void TrackListModel::SetAllChecked(bool checked) {
    for (int r = 0; r < rowCount(); ++r) SetChecked(r, checked);
}

void TrackListModel::SetChecked(int row, bool checked) {
    setData(index(row, kColNo), checked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
}

bool TrackListModel::IsChecked(int row) const {
    return row >= 0 && row < int(rows_.size()) && rows_[size_t(row)].checked;
}

std::vector<ReportRow> TrackListModel::ReportRows() const {
    std::vector<ReportRow> out;
    out.reserve(rows_.size());
    for (size_t r = 0; r < rows_.size(); ++r) {
        const Row& row = rows_[r];
        auto text = [&row](int column) { return ToStdString(row.texts[size_t(column - kColName)]); };
        ReportRow report;
        report.ticked = row.checked;
        report.no = std::to_string(r + 1);
        report.use = text(kColUse);
        report.purpose = text(kColPurpose);
        report.distance = text(6);
        report.startTime = text(7);
        report.endTime = text(8);
        report.startAddress = text(11);
        report.endAddress = text(12);
        out.push_back(std::move(report));
    }
    return out;
}

int TrackListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int TrackListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) return {};
    const Row& row = rows_[size_t(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            if (column == kColNo) return QString::number(index.row() + 1);
            if (column >= kColName) return row.texts[size_t(column - kColName)];
            return QString();
        case Qt::CheckStateRole:
            if (column == kColNo) return row.checked ? Qt::Checked : Qt::Unchecked;
            return {};
        case Qt::BackgroundRole:
            if (column == kColColor) return row.color;
            return {};
        case Qt::TextAlignmentRole: return int(Qt::AlignCenter);
        default: return {};
    }
}

bool TrackListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    ML_ASSERT_UI_THREAD();
    if (!index.isValid() || index.row() >= int(rows_.size())) return false;
    Row& row = rows_[size_t(index.row())];
    TrackRecord* track = TrackAt(index.row());
    if (index.column() == kColNo && role == Qt::CheckStateRole) {
        const bool checked = value.toInt() == Qt::Checked;
        if (checked == row.checked) return true;
        row.checked = checked;
        emit dataChanged(index, index, {Qt::CheckStateRole});
        // A row beyond the tracks changes on screen only.
        if (!track) return true;
        track->selected = checked ? 1 : 0;
        emit checkChanged(index.row(), checked);
        return true;
    }
    if ((index.column() != kColUse && index.column() != kColPurpose) || role != Qt::EditRole) return false;
    const QString text = value.toString();
    QString& cell = row.texts[size_t(index.column() - kColName)];
    if (text == cell) return true;
    cell = text;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    if (!track) return true;
    (index.column() == kColUse ? track->use : track->purpose) = ToStdString(text);
    track->unsavedEdit = ++lastEdit_;
    emit entryEdited(index.row(), index.column());
    return true;
}

Qt::ItemFlags TrackListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // The colour swatch is never painted over by the selection.
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (index.column() != kColColor) flags |= Qt::ItemIsSelectable;
    if (index.column() == kColNo) flags |= Qt::ItemIsUserCheckable;
    if (index.column() == kColUse || index.column() == kColPurpose) flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant TrackListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    return QString::fromUtf8(kHeaders[section]);
}

}  // namespace ml
