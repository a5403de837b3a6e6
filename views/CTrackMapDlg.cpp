#include "views/CTrackMapDlg.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QUrl>
#include <QUrlQuery>

#include "core/DiagLog.h"
#include "views/PageScriptView.h"

namespace ml {
namespace {
constexpr int kGripWidth = 6;
constexpr int kMinimumWidth = 120;
}  // namespace

CTrackMapDlg::CTrackMapDlg(const QString& tileUrl, QWidget* parent)
    : QWidget(parent), view_(new PageScriptView(this)), grip_(new QWidget(this)) {
    grip_->setCursor(Qt::SizeHorCursor);
    grip_->setStyleSheet(QStringLiteral("background: #c8c8c8;"));
    grip_->installEventFilter(this);
    // The page reads its tile template from the query.
    QUrl page(QStringLiteral("qrc:/web/map.html"));
    if (!tileUrl.isEmpty()) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("tiles"), QString::fromUtf8(QUrl::toPercentEncoding(tileUrl)));
        page.setQuery(query);
    }
    view_->loadPage(page);
}

void CTrackMapDlg::CallPageScript(const QString& statement) {
    if (!statement.isEmpty()) view_->CallPageScript(statement);
}

void CTrackMapDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int cx = width();
    const int cy = height();
    view_->setGeometry(0, 0, qMax(0, cx - kGripWidth), cy);
    grip_->setGeometry(qMax(0, cx - kGripWidth), 0, kGripWidth, cy);
    DiagPrintf("cx = %d cy= %d\n", cx, cy);
    emit relayoutBesideMap(cx);
}

// Dragging the right edge changes the width only; the height stays where
// the form's layout put it.
bool CTrackMapDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched != grip_) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) break;
            dragStartX_ = qRound(mouse->globalPosition().x());
            dragStartWidth_ = width();
            return true;
        }
        case QEvent::MouseMove: {
            if (dragStartX_ < 0) break;
            auto* mouse = static_cast<QMouseEvent*>(event);
            int newWidth = dragStartWidth_ + qRound(mouse->globalPosition().x()) - dragStartX_;
            if (parentWidget()) newWidth = qMin(newWidth, parentWidget()->width() - x() - 60);
            newWidth = qMax(newWidth, kMinimumWidth);
            resize(newWidth, fixedHeight_ > 0 ? fixedHeight_ : height());
            return true;
        }
        case QEvent::MouseButtonRelease: dragStartX_ = -1; return true;
        default: break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ml
