#pragma once
// The dialog in which the user picks the logger's serial port. It only
// shows names; the main frame enumerates the ports (refreshRequested) and
// starts the download with the chosen index (startRequested, -1 for none).
#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;

namespace ml {

class CComConnectDlg : public QDialog {
    Q_OBJECT
public:
    explicit CComConnectDlg(QWidget* parent = nullptr);

    // Adds the names in order, sizes the drop-down to show them all and
    // selects the first.
    void FillPortCombo(const QStringList& portNames);
    void ClearPortCombo();
    QComboBox* portCombo() const { return combo_; }

signals:
    void refreshRequested();
    void startRequested(int portIndex);

private:
    void OnRefresh();
    void OnOK();

    QComboBox* combo_ = nullptr;
};

}  // namespace ml
