#pragma once
// The track list's view: a table over TrackListModel whose cells of
// 사용용도 and 운행목적 are edited in place by item delegates (a drop-down
// list, CInPlaceCombo, and Qt's own line editor). A left click on such a
// cell opens its editor at once; F2 does for the current cell. Enter keeps
// the edit, Escape restores the cell, and so does nothing else: leaving the
// cell or scrolling the list keeps what was typed.
#include <QTableView>
#include <vector>

namespace ml {

class CComboListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CComboListCtrl(QWidget* parent = nullptr, int controlId = 1000);

    int controlId() const { return controlId_; }
    using QTableView::edit;

    // Ends an open edit as a click elsewhere would (the typed text is kept).
    // Commands that read the tracks call it first: opening a menu does not
    // take the focus from the editor.
    void CommitCellEdit();
    // Closes an open edit without writing anything: the rows it was made
    // for are about to be replaced.
    void DiscardCellEdit();

    // Sizes every column to its content (header included), except the ones
    // the user has sized by hand, which keep that width.
    void FitColumns();
    // The widths the user gave by hand, one per column, 0 for "fit to the
    // content"; the window keeps them from one run to the next.
    std::vector<int> userColumnWidths() const { return userWidths_; }
    void setUserColumnWidths(const std::vector<int>& widths);

signals:
    // The user chose a row: a left click on it (also on the row already
    // current) or a key that moved the current row. Other mouse buttons
    // neither select nor choose.
    void rowChosen(int row);
    // Space on a row: its tick is to change.
    void tickToggled(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    QWidget* OpenEditor() const;

    int controlId_;
    QPersistentModelIndex editing_;  // the cell of the open editor
    std::vector<int> userWidths_;
    bool fitting_ = false;
};

}  // namespace ml
