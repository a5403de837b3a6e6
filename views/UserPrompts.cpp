#include "views/UserPrompts.h"

#include <QFileDialog>

#include "views/UiThread.h"

namespace ml {

void DialogPrompts::Message(QWidget* parent, const QString& text, const QString& caption) {
    ML_ASSERT_UI_THREAD();
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox::StandardButton DialogPrompts::Question(QWidget* parent, const QString& text,
                                                    QMessageBox::StandardButtons buttons) {
    ML_ASSERT_UI_THREAD();
    QMessageBox box(QMessageBox::Question, ProgramName(), text, buttons, parent);
    return QMessageBox::StandardButton(box.exec());
}

QString DialogPrompts::SaveFileName(QWidget* parent, const QString& filter) {
    ML_ASSERT_UI_THREAD();
    // The save command asks its own question about overwriting nothing: a
    // save never destroys the old file before the new one is complete.
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString DialogPrompts::OpenFileName(QWidget* parent, const QString& filter) {
    ML_ASSERT_UI_THREAD();
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

}  // namespace ml
