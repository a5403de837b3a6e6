#pragma once
// The five-line popup that follows a download stage by stage. The download
// worker drives it only through OnStage (WM_LOADING_STAGE), called on the
// user-interface thread. It has no caption and ignores Enter and Escape, so
// it goes away only when the program hides it; its cancel button asks the
// running download to stop.
#include <QDialog>
#include <array>

class QLabel;
class QPushButton;

namespace ml {

class CLoadingPopup : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLineCount = 5;

    explicit CLoadingPopup(QWidget* parent = nullptr);

    // line 0: reset the labels; 1 to 5: set that line's status text; any
    // other line: nothing.
    Q_INVOKABLE void OnStage(int line, const QString& text);

    // The line under the five: what is read ("새 데이터만 읽는 중: ..."), then
    // how full the logger's memory is. A reset (line 0) empties it.
    void SetNote(const QString& text);
    QString NoteText() const;
    // Re-enables the cancel button for the next download.
    void ResetCancel();

signals:
    void cancelRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::array<QLabel*, kLineCount> labels_{};
    std::array<QLabel*, kLineCount> statuses_{};
    QLabel* note_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

}  // namespace ml
