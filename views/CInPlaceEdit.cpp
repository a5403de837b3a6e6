#include "views/CInPlaceEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

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
    // Enter and Escape end the edit here so that no dialog around the list
    // takes them for its default or cancel button.
    switch (event->key()) {
    case Qt::Key_Escape:
        cancelled_ = true;
        event->accept();
        emit editEnded();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        emit editEnded();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void CInPlaceEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // The context menu (paste) takes the focus for a moment; that is not
    // the end of the edit.
    if (event->reason() == Qt::PopupFocusReason) return;
    if (isVisible()) emit editEnded();
}

}  // namespace ml
