#include "app/CSplashWindow.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace ml {

CSplashWindow::CSplashWindow()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("splashWindow");
    picture_.load(QStringLiteral(":/mileledger/splash.png"));
    if (picture_.isNull()) return;
    setFixedSize(picture_.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desk = screen->geometry();
        move(desk.left() + desk.width() / 2 - picture_.width() / 2,
             desk.top() + desk.height() / 2 - picture_.height() / 2);
    }
}

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void CSplashWindow::mousePressEvent(QMouseEvent* event) { event->accept(); }
void CSplashWindow::keyPressEvent(QKeyEvent* event) { event->accept(); }

void ShowSplash(int durationMs) {
    CSplashWindow splash;
    if (!splash.HasPicture()) return;
    splash.show();
    splash.raise();
    QEventLoop loop;
    QTimer::singleShot(qMax(0, durationMs), &loop, &QEventLoop::quit);
    loop.exec();
    splash.hide();
}

}  // namespace ml
