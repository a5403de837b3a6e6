#pragma once
// The business car log ("업무용승용차 운행기록부") popup.
#include "views/ReportPopup.h"

namespace ml {

class CHtmlDlgTrackOutNew : public ReportPopup {
    Q_OBJECT
public:
    explicit CHtmlDlgTrackOutNew(QWidget* parent = nullptr);

    // Clears the page, then hides the window.
    void Cancel() override;
    // Builds the form from the ticked rows and the settings.
    void FillLogReport();
};

}  // namespace ml
