#include "views/CComboListCtrl.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "views/CInPlaceCombo.h"
#include "views/CInPlaceEdit.h"
#include "views/UiThread.h"

namespace ml {

namespace {
// A column narrower than this has no room for a drop-down.
constexpr int kMinComboColumnWidth = 10;
}  // namespace

CComboListCtrl::CComboListCtrl(QWidget* parent, int controlId)
    : QTableWidget(parent), controlId_(controlId) {
    setObjectName(QStringLiteral("list%1").arg(controlId));
    // Cells change only through the in-place editors below.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    // One line per track: long texts are cut, never wrapped into taller rows.
    setWordWrap(false);
    setSortingEnabled(false);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { EndEditByScrolling(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { EndEditByScrolling(); });
}

QString CComboListCtrl::CellText(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

void CComboListCtrl::SetCellText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    QTableWidgetItem* cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setTextAlignment(Qt::AlignCenter);
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, cell);
    }
    cell->setText(text);
}

void CComboListCtrl::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    // A click beside the cells, or with another button than the left one,
    // changes neither focus nor selection.
    if (!index.isValid() || event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
    emit rowChosen(index.row());
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) return;
    if (currentRow() != index.row()) return;
    OpenCellEditor(index.row(), index.column());
}

void CComboListCtrl::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QTableWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0) emit rowChosen(currentRow());
}

bool CComboListCtrl::OpenCellEditor(int row, int column) {
    ML_ASSERT_UI_THREAD();
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return false;
    if (editingCell_) EndCellEdit();
    const QString cellText = CellText(row, column);
    if (IsComboColumn(column)) {
        QStringList choices;
        emit fillCellChoices(column, &choices);
        return ShowCellCombo(row, column, choices, cellText);
    }
    if (IsReadOnlyColumn(column)) return false;
    ShowCellEdit(row, column, cellText);
    return true;
}

bool CComboListCtrl::ShowCellCombo(int row, int column, const QStringList& choices,
                                   const QString& cellText) {
    if (columnWidth(column) < kMinComboColumnWidth) return false;
    const QModelIndex index = model()->index(row, column);
    scrollTo(index);
    if (!combo_) {
        combo_ = new CInPlaceCombo(viewport());
        connect(combo_, &CInPlaceCombo::editEnded, this, [this] { EndCellEdit(); });
    }
    combo_->Begin(row, column, choices, cellText);
    combo_->setFont(font());
    combo_->setMaxVisibleItems(qMin(int(choices.size()), 10) + 1);
    combo_->setGeometry(visualRect(index));
    editingCell_ = true;
    comboOpen_ = true;
    combo_->show();
    combo_->setFocus(Qt::OtherFocusReason);
    combo_->showPopup();
    return true;
}

void CComboListCtrl::ShowCellEdit(int row, int column, const QString& cellText) {
    const QModelIndex index = model()->index(row, column);
    scrollTo(index);
    if (!edit_) {
        edit_ = new CInPlaceEdit(viewport());
        connect(edit_, &CInPlaceEdit::editEnded, this, [this] { EndCellEdit(); });
    }
    edit_->setFont(font());
    edit_->Begin(row, column, cellText);
    edit_->setGeometry(visualRect(index));
    editingCell_ = true;
    comboOpen_ = false;
    edit_->show();
    edit_->setFocus(Qt::OtherFocusReason);
}

void CComboListCtrl::EndCellEdit() {
    ML_ASSERT_UI_THREAD();
    if (!editingCell_) return;
    editingCell_ = false;
    int row = -1;
    int column = -1;
    QString text;
    if (comboOpen_) {
        row = combo_->row();
        column = combo_->column();
        text = combo_->ResultText();
        combo_->hide();
    } else {
        row = edit_->row();
        column = edit_->column();
        text = edit_->ResultText();
        edit_->hide();
    }
    comboOpen_ = false;
    if (!hasFocus() && isVisible()) setFocus(Qt::OtherFocusReason);
    SetCellText(row, column, text);
    emit cellEditDone(controlId_, row, column, text);
}

void CComboListCtrl::DiscardCellEdit() {
    if (!editingCell_) return;
    editingCell_ = false;
    if (comboOpen_) combo_->hide();
    else edit_->hide();
    comboOpen_ = false;
}

void CComboListCtrl::EndEditByScrolling() {
    // Scrolling moves the cells away from under the editor: the edit ends
    // and keeps what was typed.
    if (editingCell_) EndCellEdit();
}

}  // namespace ml
