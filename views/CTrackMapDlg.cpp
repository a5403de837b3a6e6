#include "views/CTrackMapDlg.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QUrlQuery>

#include "core/DiagLog.h"
#include "core/MapStatements.h"
#include "core/TextFormat.h"
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
    view_->loadPage(PageUrl(tileUrl));
}

QUrl CTrackMapDlg::PageUrl(const QString& tileUrl) {
    QUrl url(QStringLiteral("qrc:/web/map.html"));
    if (!tileUrl.isEmpty()) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("tiles"), QString::fromUtf8(QUrl::toPercentEncoding(tileUrl)));
        url.setQuery(query);
    }
    return url;
}

void CTrackMapDlg::CallPageScript(const QString& statement) {
    if (statement.isEmpty() || JoinPoint(statement)) return;
    FlushPoints();
    view_->CallPageScript(statement);
}

void CTrackMapDlg::CallPageScript(const std::string& statement) {
    CallPageScript(QString::fromStdString(statement));
}

// Takes "pushRawPos('i', 'lat', 'lon')" apart; anything else, or numbers
// that do not read in full, is left to run as it is.
bool CTrackMapDlg::JoinPoint(const QString& statement) {
    static const QString kHead = QStringLiteral("pushRawPos('");
    static const QString kTail = QStringLiteral("')");
    static const QString kGap = QStringLiteral("', '");
    if (!statement.startsWith(kHead) || !statement.endsWith(kTail)) return false;
    const QStringView body = QStringView(statement).mid(kHead.size(), statement.size() - kHead.size() - 2);
    const qsizetype first = body.indexOf(kGap);
    if (first < 0) return false;
    const qsizetype second = body.indexOf(kGap, first + kGap.size());
    if (second < 0 || body.indexOf(QLatin1Char('\''), second + kGap.size()) >= 0) return false;
    bool ok = false;
    const int index = body.left(first).toInt(&ok);
    if (!ok || index < 0) return false;
    const double latitude = body.mid(first + kGap.size(), second - first - kGap.size()).toDouble(&ok);
    if (!ok) return false;
    const double longitude = body.mid(second + kGap.size()).toDouble(&ok);
    if (!ok || !IsDrawablePoint(latitude, longitude)) return false;
    // Written anew rather than copied, so only plain numbers reach the page.
    std::string text;
    AppendFixed(text, latitude, 9);
    text += ',';
    AppendFixed(text, longitude, 9);
    if (index != batchIndex_) {
        FlushPoints();
        batchIndex_ = index;
    }
    if (batch_.empty()) {
        // The joined points go out once the caller is done sending.
        QTimer::singleShot(0, this, &CTrackMapDlg::FlushPoints);
    } else {
        batch_ += ',';
    }
    batch_ += text;
    return true;
}

void CTrackMapDlg::FlushPoints() {
    if (batch_.empty()) return;
    std::string statement = "pushRawPath('" + std::to_string(batchIndex_) + "', [" + batch_ + "])";
    batch_.clear();
    batchIndex_ = -1;
    view_->CallPageScript(statement);
}

void CTrackMapDlg::AddTrackPoint(int index, double latitude, double longitude) {
    CallPageScript(PushRawPosStatement(index, latitude, longitude));
}

void CTrackMapDlg::AddTrackPoints(int index, const FixList& fixes) {
    FlushPoints();
    view_->CallPageScript(PushRawPathStatement(index, fixes));
}

void CTrackMapDlg::ShowTracks(const TrackList& tracks) {
    FlushPoints();
    view_->CallPageScripts(MapRefreshStatements(tracks));
}

void CTrackMapDlg::EvaluatePageScript(const QString& expression,
                                      std::function<void(const QVariant&)> done) {
    FlushPoints();
    view_->EvaluatePageScript(expression, std::move(done));
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
    case QEvent::MouseButtonRelease:
        dragStartX_ = -1;
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ml
