#include "views/CInPlaceEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "views/InPlaceEditorKeys.h"

namespace ml {

CInPlaceEdit::CInPlaceEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName("inPlaceEdit");
    setFrame(false);
    hide();
}

void CInPlaceEdit::Begin(int row, int column, const QString& cellText) {
    row_ = row;
    column_ = column;
    cancelled_ = false;
    initialText_ = cellText;
    setText(cellText);
    selectAll();
}

void CInPlaceEdit::keyPressEvent(QKeyEvent* event) {
    if (TakeEditorEndKey(event, cancelled_)) {
        emit editEnded();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The context menu (paste) takes the focus for a moment; that is not
    // the end of the edit.
    if (event->reason() == Qt::PopupFocusReason) return;
    if (isVisible()) emit editEnded();
}

}  // namespace ml
