#pragma once
// Every message box, question and file dialog of the main window goes
// through this interface, so that the window's commands can be driven by a
// test that answers the questions itself. DialogPrompts is the real one.
#include <QMessageBox>
#include <QString>

class QWidget;

namespace ml {

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // One OK button, no icon.
    virtual void Message(QWidget* parent, const QString& text, const QString& caption) = 0;
    // `buttons` is Yes|No, Yes|No|Cancel or Save|Discard|Cancel (저장 / 저장
    // 안 함 / 취소); the caption is the program's name.
    virtual QMessageBox::StandardButton Question(QWidget* parent, const QString& text,
                                                 QMessageBox::StandardButtons buttons) = 0;
    // Empty when the user cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& filter) = 0;
    virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
};

class DialogPrompts : public UserPrompts {
public:
    void Message(QWidget* parent, const QString& text, const QString& caption) override;
    QMessageBox::StandardButton Question(QWidget* parent, const QString& text,
                                         QMessageBox::StandardButtons buttons) override;
    QString SaveFileName(QWidget* parent, const QString& filter) override;
    QString OpenFileName(QWidget* parent, const QString& filter) override;
};

// The caption of questions and of the save confirmation.
inline QString ProgramName() { return QStringLiteral("MileLedger"); }

}  // namespace ml
