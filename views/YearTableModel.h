#pragma once
// The rows of the 연간 운행기록 window: one business year of a car as the
// official log has it (trips in time order, 기록되지 않은 주행 where a
// reading shows driving the logger missed, a subtotal after each month).
// The model only shows the log; an edit of a trip's use, purpose, note or
// driver goes to the editor the window sets, which writes it through the
// ledger and hands the model the log again.
#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <vector>

#include "core/ledger/OfficialLog.h"

namespace ml {

class YearTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kDate, kStart, kEnd, kDistance, kUse, kPurpose, kNote, kDriver, kFrom, kTo, kColumnCount };
    enum Role {
        KindRole = Qt::UserRole + 1,  // int(LogRow::Kind)
        TripIdRole,                   // qlonglong; 0 on other rows
        MonthRole,                    // "2026-03"
        UseRole,                      // int(Use) of trip rows
        SearchRole,                   // purpose, note and both addresses, for the filter
    };
    // The texts of the use combo, in Use order: 미분류, 출퇴근용, 일반업무용, 비업무용.
    static QStringList UseChoices();
    static QString UseCellText(ledger::Use use);

    // (trip id, column, value): true when the change was written.
    using Editor = std::function<bool(qint64 tripId, int column, const QString& value)>;

    explicit YearTableModel(QObject* parent = nullptr);

    // Shows `log`. Rows that keep their place (the same trips and months)
    // are only redrawn, so the selection and the scroll position stay.
    void SetLog(ledger::OfficialLog log);
    const ledger::OfficialLog& log() const { return log_; }
    const ledger::LogRow* RowAt(int row) const;
    int RowOfTrip(qint64 tripId) const;

    void setEditor(Editor editor) { editor_ = std::move(editor); }
    // The choices of the driver combo: "부서/성명" of the car and of every
    // driver its trips had.
    void setDrivers(QStringList drivers) { drivers_ = std::move(drivers); }
    const QStringList& drivers() const { return drivers_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    static bool IsEditableColumn(int column);

private:
    QString Text(const ledger::LogRow& row, int column) const;

    ledger::OfficialLog log_;
    Editor editor_;
    QStringList drivers_;
};

}  // namespace ml
