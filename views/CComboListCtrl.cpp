#include "views/CComboListCtrl.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "views/UiThread.h"

namespace ml {

namespace {
// Room for the drop-down's arrow beside the longest choice.
constexpr int kMinComboColumnWidth = 80;
constexpr int kComboColumn = 3;
}  // namespace

CComboListCtrl::CComboListCtrl(QWidget* parent, int controlId) : QTableView(parent), controlId_(controlId) {
    setObjectName(QStringLiteral("list%1").arg(controlId));
    // Mouse clicks open editors in mousePressEvent; the keyboard has F2.
    setEditTriggers(QAbstractItemView::EditKeyPressed);
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
    // Scrolling moves the cells away from under the editor: the edit ends
    // and keeps what was typed.
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &CComboListCtrl::CommitCellEdit);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &CComboListCtrl::CommitCellEdit);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (fitting_ || column < 0) return;
        if (size_t(column) >= userWidths_.size()) userWidths_.resize(size_t(column) + 1, 0);
        userWidths_[size_t(column)] = width;
    });
}

QWidget* CComboListCtrl::OpenEditor() const { return editing_.isValid() ? indexWidget(editing_) : nullptr; }

bool CComboListCtrl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened && state() == EditingState) editing_ = index;
    return opened;
}

void CComboListCtrl::CommitCellEdit() {
    ML_ASSERT_UI_THREAD();
    QWidget* editor = OpenEditor();
    if (!editor) return;
    editing_ = QModelIndex();
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void CComboListCtrl::DiscardCellEdit() {
    QWidget* editor = OpenEditor();
    if (!editor) return;
    editing_ = QModelIndex();
    closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void CComboListCtrl::FitColumns() {
    if (!model()) return;
    fitting_ = true;
    resizeColumnsToContents();
    if (columnWidth(kComboColumn) < kMinComboColumnWidth) setColumnWidth(kComboColumn, kMinComboColumnWidth);
    for (size_t c = 0; c < userWidths_.size(); ++c) {
        if (userWidths_[c] > 0) setColumnWidth(int(c), userWidths_[c]);
    }
    fitting_ = false;
}

void CComboListCtrl::setUserColumnWidths(const std::vector<int>& widths) {
    userWidths_ = widths;
    FitColumns();
}

void CComboListCtrl::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    // A click beside the cells, or with another button than the left one,
    // changes neither focus nor selection.
    if (!index.isValid() || event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    CommitCellEdit();
    QTableView::mousePressEvent(event);
    emit rowChosen(index.row());
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) return;
    if (currentIndex().row() != index.row() || !(index.flags() & Qt::ItemIsEditable)) return;
    // A cell partly out of view is scrolled in first, so the editor covers it.
    scrollTo(index);
    edit(index, AllEditTriggers, nullptr);
}

void CComboListCtrl::keyPressEvent(QKeyEvent* event) {
    const int before = currentIndex().row();
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && before >= 0) {
        emit tickToggled(before);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
    const int after = currentIndex().row();
    if (after != before && after >= 0) emit rowChosen(after);
}

}  // namespace ml
