#include "views/UserPrompts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <utility>

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
    // The exit question's buttons read as the program names them, whatever
    // Qt's translation calls them.
    const std::pair<QMessageBox::StandardButton, const char*> kNames[] = {
        {QMessageBox::Save, "저장"}, {QMessageBox::Discard, "저장 안 함"}, {QMessageBox::Cancel, "취소"}};
    if (buttons & QMessageBox::Save) {
        for (const auto& [button, name] : kNames) {
            if (QAbstractButton* b = box.button(button)) b->setText(QString::fromUtf8(name));
        }
    }
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
