#pragma once
// The drop-down list laid over a cell of 사용용도: the item delegate of that
// column. It opens with the entry that begins with the cell's text chosen
// and its list already open. Choosing an entry ends the edit with it;
// closing the list without a choice, or Escape, leaves the cell as it was.
#include <QStringList>
#include <QStyledItemDelegate>

namespace ml {

class CInPlaceCombo : public QStyledItemDelegate {
    Q_OBJECT
public:
    CInPlaceCombo(QStringList choices, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    QStringList choices_;
};

}  // namespace ml
