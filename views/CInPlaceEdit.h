#pragma once
// The edit box that CComboListCtrl lays over a cell of a text column. It
// knows which cell it edits and the text the cell had, so that Escape can
// put that text back; the list decides what an ended edit means.
#include <QLineEdit>

namespace ml {

class CInPlaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CInPlaceEdit(QWidget* parent);

    void Begin(int row, int column, const QString& cellText);
    int row() const { return row_; }
    int column() const { return column_; }
    // The text the cell gets when the edit ends: the initial text after
    // Escape, else what is typed.
    QString ResultText() const { return cancelled_ ? initialText_ : text(); }

signals:
    // Enter, Escape or loss of focus: the edit is over.
    void editEnded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int row_ = -1;
    int column_ = -1;
    bool cancelled_ = false;
    QString initialText_;
};

}  // namespace ml
