#pragma once
// The bar that follows a PHLX download record by record ("n/total"). It
// belongs to the user-interface thread; the download reaches it through
// queued calls of SetTotal, SetPosition and Show/Hide.
#include <QDialog>

class QLabel;
class QProgressBar;

namespace ml {

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CProgressDlg(QWidget* parent = nullptr);

    Q_INVOKABLE void SetTotal(int total);
    Q_INVOKABLE void SetPosition(int position);
    QString Text() const;

private:
    QProgressBar* bar_ = nullptr;
    QLabel* text_ = nullptr;
    int total_ = 0;
};

}  // namespace ml
