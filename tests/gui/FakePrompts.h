#pragma once
// Answers the main window's questions and file dialogs from a script and
// records every message, so that a test can drive the window's commands.
#include <QStringList>
#include <deque>

#include "views/UserPrompts.h"

namespace ml::test {

class FakePrompts : public UserPrompts {
public:
    struct Shown {
        QString text;
        QString caption;
    };

    void Message(QWidget*, const QString& text, const QString& caption) override {
        messages.push_back({text, caption});
    }
    QMessageBox::StandardButton Question(QWidget*, const QString& text, QMessageBox::StandardButtons) override {
        questions << text;
        if (answers.empty()) return QMessageBox::No;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString SaveFileName(QWidget*, const QString&) override { return Take(); }
    QString OpenFileName(QWidget*, const QString&) override { return Take(); }

    std::deque<QMessageBox::StandardButton> answers;  // next answers, in order
    std::deque<QString> files;                        // next file dialog results
    QStringList questions;
    std::vector<Shown> messages;

private:
    QString Take() {
        if (files.empty()) return {};
        QString file = files.front();
        files.pop_front();
        return file;
    }
};

}  // namespace ml::test
