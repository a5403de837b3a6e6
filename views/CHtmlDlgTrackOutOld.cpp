#include "views/CHtmlDlgTrackOutOld.h"

namespace ml {

CHtmlDlgTrackOutOld::CHtmlDlgTrackOutOld(QWidget* parent)
    : ReportPopup(QStringLiteral(" 차량운행기록 - 미리보기"), QUrl(QStringLiteral("qrc:/web/refund_report.html")),
                  QPageLayout::Landscape, QSize(960, 720), parent) {}

void CHtmlDlgTrackOutOld::FillRefundReport() { Fill(RefundReportStatements); }

}  // namespace ml
