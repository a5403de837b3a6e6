#pragma once
// Editors of the year table's cells: the use as a combo of the three uses
// (and 미분류), the driver as a combo of the car's known drivers (a new
// "부서/성명" may be typed), purpose and note as text.
#include <QStyledItemDelegate>

namespace ml {

class YearItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
};

}  // namespace ml
