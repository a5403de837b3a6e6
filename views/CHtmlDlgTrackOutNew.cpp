#include "views/CHtmlDlgTrackOutNew.h"

#include "views/PageScriptView.h"

namespace ml {

CHtmlDlgTrackOutNew::CHtmlDlgTrackOutNew(QWidget* parent)
    : ReportPopup(QStringLiteral("운행기록부 - 미리보기"), QUrl(QStringLiteral("qrc:/web/log_report.html")),
                  QPageLayout::Portrait, QSize(740, 760), parent) {}

void CHtmlDlgTrackOutNew::Cancel() {
    pageView()->CallPageScript(QStringLiteral("clear()"));
    ReportPopup::Cancel();
}

void CHtmlDlgTrackOutNew::FillLogReport() { Fill(LogReportStatements); }

}  // namespace ml
