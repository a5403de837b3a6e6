#include "views/YearItemDelegate.h"

#include <QAbstractProxyModel>
#include <QComboBox>

#include "views/YearTableModel.h"

namespace ml {

namespace {

const YearTableModel* TableModel(const QAbstractItemModel* model) {
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(model)) model = proxy->sourceModel();
    return qobject_cast<const YearTableModel*>(model);
}

}  // namespace

QWidget* YearItemDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    const int column = index.column();
    if (column != YearTableModel::kUse && column != YearTableModel::kDriver) {
        return QStyledItemDelegate::createEditor(parent, option, index);
    }
    auto* combo = new QComboBox(parent);
    if (column == YearTableModel::kUse) {
        combo->addItems(YearTableModel::UseChoices());
    } else {
        combo->setEditable(true);
        if (const YearTableModel* model = TableModel(index.model())) combo->addItems(model->drivers());
    }
    // A choice counts at once: no second click or Enter is needed.
    connect(combo, &QComboBox::activated, this, [this, combo] {
        emit const_cast<YearItemDelegate*>(this)->commitData(combo);
        emit const_cast<YearItemDelegate*>(this)->closeEditor(combo);
    });
    return combo;
}

void YearItemDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo) return QStyledItemDelegate::setEditorData(editor, index);
    const QString text = index.data(Qt::EditRole).toString();
    const int at = combo->findText(text);
    if (at >= 0)
        combo->setCurrentIndex(at);
    else if (combo->isEditable())
        combo->setEditText(text);
}

void YearItemDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* combo = qobject_cast<QComboBox*>(editor);
    if (!combo) return QStyledItemDelegate::setModelData(editor, model, index);
    model->setData(index, combo->currentText(), Qt::EditRole);
}

}  // namespace ml
