#include "views/CInPlaceCombo.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>

#include "views/InPlaceEditorKeys.h"

namespace ml {

CInPlaceCombo::CInPlaceCombo(QWidget* parent) : QComboBox(parent) {
    setObjectName("inPlaceCombo");
    setEditable(false);
    // Escape inside the opened list must cancel, not merely close the list.
    view()->installEventFilter(this);
    connect(this, qOverload<int>(&QComboBox::activated), this, [this](int) {
        if (active_) emit editEnded();
    });
    hide();
}

void CInPlaceCombo::Begin(int row, int column, const QStringList& choices, const QString& cellText) {
    row_ = row;
    column_ = column;
    cancelled_ = false;
    initialText_ = cellText;
    active_ = false;
    clear();
    addItems(choices);
    setCurrentIndex(-1);
    if (!cellText.isEmpty()) {
        const int match = findText(cellText, Qt::MatchStartsWith | Qt::MatchCaseSensitive);
        setCurrentIndex(match);
    }
    active_ = true;
}

void CInPlaceCombo::hidePopup() {
    QComboBox::hidePopup();
    // Closing the drop-down ends the edit, whether or not an entry was taken.
    // The combo box takes the chosen entry only after it has closed the
    // list, so the end is handled once that has happened.
    QMetaObject::invokeMethod(this, [this] {
        if (active_ && isVisible()) emit editEnded();
    }, Qt::QueuedConnection);
}

void CInPlaceCombo::keyPressEvent(QKeyEvent* event) {
    if (TakeEditorEndKey(event, cancelled_)) {
        emit editEnded();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void CInPlaceCombo::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // Opening the drop-down moves the focus into it; the edit goes on.
    if (event->reason() == Qt::PopupFocusReason) return;
    if (active_ && isVisible() && !view()->isVisible()) emit editEnded();
}

bool CInPlaceCombo::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        cancelled_ = true;
    }
    return QComboBox::eventFilter(watched, event);
}

}  // namespace ml
