#pragma once
// A report list whose cells can be edited in place: a click on a cell of a
// combo column lays a drop-down list over it, a click on a cell of an
// editable column an edit box; all other columns are read-only. The parent
// supplies the drop-down's choices (fillCellChoices) and learns every ended
// edit (cellEditDone) after the cell already shows the new text.
#include <QSet>
#include <QStringList>
#include <QTableWidget>

namespace ml {

class CInPlaceCombo;
class CInPlaceEdit;

class CComboListCtrl : public QTableWidget {
    Q_OBJECT
public:
    explicit CComboListCtrl(QWidget* parent = nullptr, int controlId = 1000);

    int controlId() const { return controlId_; }

    void MarkReadOnlyColumn(int column) { readOnlyColumns_.insert(column); }
    void MarkComboColumn(int column) { comboColumns_.insert(column); }
    bool IsReadOnlyColumn(int column) const { return readOnlyColumns_.contains(column); }
    bool IsComboColumn(int column) const { return comboColumns_.contains(column); }

    // The text of a cell, empty when the cell has no item.
    QString CellText(int row, int column) const;
    void SetCellText(int row, int column, const QString& text);

    // Opens the editor of a cell as a click on it would (the parent is asked
    // for choices first); returns false when the column is read-only or the
    // cell does not exist.
    bool OpenCellEditor(int row, int column);
    bool IsEditing() const { return editingCell_; }
    // Ends an open edit as a click elsewhere would (the typed text is kept).
    // Commands that read the tracks call it first: opening a menu does not
    // take the focus from the editor.
    void CommitCellEdit() { EndCellEdit(); }
    // Closes an open edit without writing anything: the rows it was made
    // for are about to be replaced.
    void DiscardCellEdit();
    // The editors, for the windows that lay out or test them.
    CInPlaceCombo* combo() const { return combo_; }
    CInPlaceEdit* edit() const { return edit_; }

signals:
    // Asked before a drop-down opens; the receiver fills `choices` (direct
    // connection only).
    void fillCellChoices(int column, QStringList* choices);
    void cellEditDone(int controlId, int row, int column, const QString& text);
    // The user chose a row: a left click on it (also on the row already
    // current) or a key that moved the current row. Other mouse buttons
    // neither select nor choose.
    void rowChosen(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool ShowCellCombo(int row, int column, const QStringList& choices, const QString& cellText);
    void ShowCellEdit(int row, int column, const QString& cellText);
    void EndCellEdit();
    void EndEditByScrolling();

    int controlId_;
    QSet<int> comboColumns_;
    QSet<int> readOnlyColumns_;
    CInPlaceCombo* combo_ = nullptr;
    CInPlaceEdit* edit_ = nullptr;
    bool editingCell_ = false;
    bool comboOpen_ = false;
};

}  // namespace ml
