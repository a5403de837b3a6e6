#pragma once
// The mileage refund record ("차량 운행 기록(마일리지 환급 신청)") popup.
// Closing it only hides it; the page keeps its content until the next fill.
#include "views/ReportPopup.h"

namespace ml {

class CHtmlDlgTrackOutOld : public ReportPopup {
    Q_OBJECT
public:
    explicit CHtmlDlgTrackOutOld(QWidget* parent = nullptr);

    // Builds the form from the ticked rows and the settings.
    void FillRefundReport();
};

}  // namespace ml
