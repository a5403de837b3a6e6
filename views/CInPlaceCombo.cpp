#include "views/CInPlaceCombo.h"

#include <QComboBox>
#include <QPointer>
#include <QTimer>

namespace ml {

namespace {

// A combo box that says when its list closes, chosen or not.
class ClosingCombo : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void hidePopup() override {
        QComboBox::hidePopup();
        emit popupClosed();
    }
signals:
    void popupClosed();
};

}  // namespace

CInPlaceCombo::CInPlaceCombo(QStringList choices, QObject* parent)
    : QStyledItemDelegate(parent), choices_(std::move(choices)) {}

QWidget* CInPlaceCombo::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
    auto* combo = new ClosingCombo(parent);
    combo->setObjectName(QStringLiteral("inPlaceCombo"));
    combo->addItems(choices_);
    // At most ten choices show below the cell.
    combo->setMaxVisibleItems(qMin(int(choices_.size()), 10) + 1);
    auto* self = const_cast<CInPlaceCombo*>(this);
    QPointer<QComboBox> guard(combo);
    // Choosing an entry ends the edit with it.
    connect(combo, qOverload<int>(&QComboBox::activated), self, [self, guard](int) {
        if (!guard) return;
        emit self->commitData(guard);
        emit self->closeEditor(guard);
    });
    // Closing the list ends the edit too; the combo box takes a chosen entry
    // only after the list has closed, so the end waits for that.
    connect(combo, &ClosingCombo::popupClosed, self, [self, guard] {
        QTimer::singleShot(0, self, [self, guard] {
            if (guard && guard->isVisible()) emit self->closeEditor(guard, QAbstractItemDelegate::RevertModelCache);
        });
    });
    QTimer::singleShot(0, combo, [guard] {
        if (guard && guard->isVisible()) guard->showPopup();
    });
    return combo;
}

void CInPlaceCombo::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* combo = static_cast<QComboBox*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    combo->setCurrentIndex(text.isEmpty() ? -1 : combo->findText(text, Qt::MatchStartsWith | Qt::MatchCaseSensitive));
}

void CInPlaceCombo::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* combo = static_cast<QComboBox*>(editor);
    // No entry chosen: the cell keeps its text.
    if (combo->currentIndex() >= 0) model->setData(index, combo->currentText(), Qt::EditRole);
}

}  // namespace ml

#include "CInPlaceCombo.moc"
