#pragma once
// The track list as a table model: one row per track of the main window's
// TrackList, the thirteen columns of the list. The rows are taken from the
// tracks at each Reset (the download worker may change the TrackList while
// the window paints, so painting never reads it); ticks and the user's
// edits of 사용용도 and 운행목적 are written through to the track at once.
//
// Column 0 holds the tick (the track's `selected`), column 1 the track's
// colour as a swatch, columns 2 to 12 the track's texts in record order.
#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <array>
#include <vector>

#include "core/ReportStatements.h"
#include "core/TrackRecord.h"

namespace ml {

class TrackListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kColNo = 0, kColColor, kColName, kColUse, kColPurpose, kColumnCount = 13 };

    // What 사용용도 offers, in this order.
    static const QStringList& UseChoices();

    explicit TrackListModel(QObject* parent = nullptr);

    // Shows `tracks`, every row unticked; keeps the pointer until the next
    // call.
    void Reset(TrackList* tracks);
    // Takes the use and purpose of these rows from their tracks again
    // (after the ledger gave them its classification).
    void ReloadEntries(const std::vector<size_t>& rows);

    // Ticks or unticks every row as the user would (the tracks and the map
    // follow through checkChanged).
    void SetAllChecked(bool checked);
    void SetChecked(int row, bool checked);
    bool IsChecked(int row) const;

    // The rows as the forms read them, ticks included.
    std::vector<ReportRow> ReportRows() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // A row's tick changed (its track's `selected` already has it).
    void checkChanged(int row, bool checked);
    // The user changed the use or the purpose of a row; the track holds the
    // new text and the number of the edit in `unsavedEdit`.
    void entryEdited(int row, int column);

private:
    struct Row {
        std::array<QString, kTrackTextCount> texts;  // columns 2 to 12
        QColor color;
        bool checked = false;
    };
    // The track behind `row`, null when the TrackList no longer has it (the
    // frame emptied it and the rows wait for the next Reset).
    TrackRecord* TrackAt(int row) const;

    TrackList* tracks_ = nullptr;
    std::vector<Row> rows_;
    uint32_t lastEdit_ = 0;
};

}  // namespace ml
