#include "views/CTrackInfo.h"

#include <QAbstractItemModel>
#include <QFont>
#include <QGroupBox>
#include <QLabel>

#include "views/UiThread.h"

namespace ml {

namespace {

const char* const kCaptions[CTrackInfo::kLineCount] = {
    "트랙이름", "사용용도",         "운행목적",         "트랙시간",       "이동거리",      "시작시간",
    "종료시간", "시작위치(위경도)", "종료위치(위경도)", "시작위치(주소)", "종료위치(주소)"};

constexpr int kCaptionWidth = 130;

// The lines from top to bottom: use and purpose come last, below the end
// address, so that the places and times stay together.
constexpr int kLineOrder[CTrackInfo::kLineCount] = {0, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2};

QFont PanelFont() {
    QFont font(QStringLiteral("Tahoma"));
    // 13 pixels keep descenders (the "_" of the names) inside the 16-pixel lines.
    font.setPixelSize(13);
    return font;
}

}  // namespace

CTrackInfo::CTrackInfo(QWidget* parent) : QWidget(parent) {
    setObjectName("trackInfo");
    group_ = new QGroupBox(QStringLiteral("트랙 정보"), this);
    group_->setObjectName("group1012");
    group_->setFont(PanelFont());
    for (int k = 0; k < kLineCount; ++k) {
        QLabel* label = new QLabel(QString::fromUtf8(kCaptions[k]), this);
        label->setFont(PanelFont());
        label->setObjectName(QStringLiteral("label%1").arg(k));
        QLabel* value = new QLabel(this);
        value->setFont(PanelFont());
        value->setObjectName(QStringLiteral("value%1").arg(k));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Zero height until the layout places the line.
        label->setGeometry(10, 10, 90, 0);
        value->setGeometry(10, 10, 140, 0);
        labels_[size_t(k)] = label;
        values_[size_t(k)] = value;
    }
}

void CTrackInfo::ShowTrack(int row) {
    ML_ASSERT_UI_THREAD();
    if (!sourceList_) return;
    for (int k = 0; k < kLineCount; ++k) {
        values_[size_t(k)]->setText(sourceList_->index(row, k + 2).data().toString());
    }
}

void CTrackInfo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    int y = 25;
    for (const int k : kLineOrder) {
        // Captions get room for their longest text at this font, and values
        // the rest of the panel: long addresses would be cut otherwise.
        labels_[size_t(k)]->setGeometry(20, y, kCaptionWidth, 16);
        const int valueLeft = 20 + kCaptionWidth + 10;
        values_[size_t(k)]->setGeometry(valueLeft, y, qMax(100, width() - valueLeft - 20), 16);
        y += 16;
    }
    group_->setGeometry(0, 5, width() - 10, height() - 10);
}

}  // namespace ml
