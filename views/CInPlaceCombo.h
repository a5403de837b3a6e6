#pragma once
// The drop-down list that CComboListCtrl lays over a cell of a combo column.
// Choosing an entry, closing the list, Enter or a click elsewhere ends the
// edit with the current entry; Escape ends it with the text the cell had.
#include <QComboBox>
#include <QStringList>

namespace ml {

class CInPlaceCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CInPlaceCombo(QWidget* parent);

    void Begin(int row, int column, const QStringList& choices, const QString& cellText);
    int row() const { return row_; }
    int column() const { return column_; }
    QString ResultText() const { return cancelled_ ? initialText_ : currentText(); }

    void hidePopup() override;

signals:
    void editEnded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int row_ = -1;
    int column_ = -1;
    bool cancelled_ = false;
    bool active_ = false;
    QString initialText_;
};

}  // namespace ml
