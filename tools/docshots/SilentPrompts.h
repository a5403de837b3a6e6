#pragma once
// Questions answered the same way every time and no dialog shown, so the
// picture programs run unattended.
#include "views/UserPrompts.h"

namespace ml {

class SilentPrompts : public UserPrompts {
public:
    explicit SilentPrompts(QMessageBox::StandardButton answer) : answer_(answer) {}
    void Message(QWidget*, const QString&, const QString&) override {}
    QMessageBox::StandardButton Question(QWidget*, const QString&, QMessageBox::StandardButtons) override {
        return answer_;
    }
    QString SaveFileName(QWidget*, const QString&) override { return {}; }
    QString OpenFileName(QWidget*, const QString&) override { return {}; }

private:
    QMessageBox::StandardButton answer_;
};

}  // namespace ml
