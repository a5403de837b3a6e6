#pragma once
// The small modal dialog that edits the track cut time in seconds. It only
// edits the number; the main frame saves it and rebuilds the tracks.
#include <QDialog>

class QLineEdit;

namespace ml {

class CTrackSettingDlg : public QDialog {
    Q_OBJECT
public:
    explicit CTrackSettingDlg(int cutSeconds, QWidget* parent = nullptr);

    int cutSeconds() const { return cutSeconds_; }
    QLineEdit* edit() const { return edit_; }

    void accept() override;

private:
    int cutSeconds_;
    QLineEdit* edit_ = nullptr;
};

}  // namespace ml
