#pragma once
// The keys that end an in-place edit of the track list: Enter keeps the new
// text, Escape restores the text the cell had. Both are taken by the editor
// so that no dialog around the list sees them as its default or cancel key.
#include <QKeyEvent>

namespace ml {

// True when the key ends the edit (the event is then accepted and
// `cancelled` set for Escape); false for every other key.
inline bool TakeEditorEndKey(QKeyEvent* event, bool& cancelled) {
    switch (event->key()) {
    case Qt::Key_Escape:
        cancelled = true;
        event->accept();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return true;
    default:
        return false;
    }
}

}  // namespace ml
