#pragma once
// The dialog in which the user picks the logger's serial port. It only
// shows texts; the main frame enumerates the ports (refreshRequested),
// looks for the logger among them (MarkLogger, SetNote) and starts the
// download with the chosen index (startRequested, -1 for none).
#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace ml {

class CComConnectDlg : public QDialog {
    Q_OBJECT
public:
    explicit CComConnectDlg(QWidget* parent = nullptr);

    // Adds the entries in order (a port's name with what the system knows
    // of it), sizes the drop-down to show them all and selects `selected`
    // (the first when it is out of range).
    void FillPortCombo(const QStringList& entries, int selected = 0);
    void ClearPortCombo();
    // The logger answered on entry `index`: marked "(로거)" and selected.
    void MarkLogger(int index);
    // A line under the ports: the search for the logger and what it skipped.
    void SetNote(const QString& text);
    QString note() const;
    // "전체 읽기": read the logger whole, whatever earlier downloads left known.
    bool fullRead() const;

signals:
    void refreshRequested();
    void startRequested(int portIndex);

private:
    void OnRefresh();
    void OnOK();

    QComboBox* combo_ = nullptr;
    QCheckBox* fullRead_ = nullptr;
    QLabel* note_ = nullptr;
};

}  // namespace ml
