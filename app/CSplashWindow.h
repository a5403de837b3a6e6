#pragma once
// The picture shown for three seconds before the main window exists. Input
// does not shorten it: the time is the time.
#include <QPixmap>
#include <QWidget>

namespace ml {

class CSplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultDurationMs = 3000;

    CSplashWindow();

    bool HasPicture() const { return !picture_.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap picture_;
};

// Shows the splash centred on the desktop for `durationMs` and returns when
// it has closed; returns at once when the picture cannot be shown.
void ShowSplash(int durationMs = CSplashWindow::kDefaultDurationMs);

}  // namespace ml
