#pragma once
// The about box of the help menu: the program icon, its name and version,
// and an OK button; OK or Escape closes it.
#include <QDialog>

namespace ml {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace ml
