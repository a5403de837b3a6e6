#include "views/CProgressDlg.h"

#include <QLabel>
#include <QProgressBar>

#include "views/DialogUnits.h"
#include "views/UiThread.h"

namespace ml {

CProgressDlg::CProgressDlg(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("progressDlg");
    setFixedSize(DluX(527), DluY(29));
    bar_ = new QProgressBar(this);
    bar_->setObjectName("progress401");
    bar_->setTextVisible(false);
    bar_->setGeometry(4, 4, width() - 8, height() / 2 - 4);
    text_ = new QLabel(QStringLiteral("0/0"), this);
    text_->setObjectName("text402");
    text_->setAlignment(Qt::AlignCenter);
    text_->setGeometry(4, height() / 2, width() - 8, height() / 2 - 2);
    SetTotal(0);
}

void CProgressDlg::SetTotal(int total) {
    ML_ASSERT_UI_THREAD();
    total_ = total;
    text_->setText(QStringLiteral("0/%1").arg(total));
    bar_->setRange(0, qMax(total, 0));
    bar_->setValue(0);
}

void CProgressDlg::SetPosition(int position) {
    ML_ASSERT_UI_THREAD();
    text_->setText(QStringLiteral("%1/%2").arg(position).arg(total_));
    bar_->setValue(qBound(0, position, qMax(total_, 0)));
}

QString CProgressDlg::Text() const { return text_->text(); }

}  // namespace ml
