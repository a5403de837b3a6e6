#include "views/MapAndReportWiring.h"

#include "store/Settings.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"
#include "views/CMainDialog.h"
#include "views/CTrackMapDlg.h"
#include "views/QtText.h"
#include "views/TrackListModel.h"

namespace ml {

MapAndReportWiring::MapAndReportWiring(CMainDialog* form, const QString& tileUrl)
    : QObject(form),
      form_(form),
      logReport_(new CHtmlDlgTrackOutNew(form)),
      refundReport_(new CHtmlDlgTrackOutOld(form)) {
    if (form->showMap()) {
        map_ = new CTrackMapDlg(tileUrl, form);
        connect(map_, &CTrackMapDlg::relayoutBesideMap, form, &CMainDialog::RelayoutBesideMap);
        form->setMapView(map_, map_);
    }
    // Both popups are created once, hidden, and shown by their buttons.
    logReport_->hide();
    refundReport_->hide();
    connect(form, &CMainDialog::logReportRequested, this, &MapAndReportWiring::ShowLogReport);
    connect(form, &CMainDialog::refundReportRequested, this, &MapAndReportWiring::ShowRefundReport);
}

bool MapAndReportWiring::SettingsRefused(const std::function<std::string(const Settings&)>& check) {
    const Settings* settings = form_->listSettings();
    const std::string problem = settings ? check(*settings) : std::string();
    if (!problem.empty()) emit reportRefused(ToQString(problem));
    return !problem.empty();
}

bool MapAndReportWiring::Show(ReportPopup* popup, const std::function<std::string(const Settings&)>& check,
                              const std::function<void()>& fill) {
    popup->Cancel();  // clears the page and hides the window
    if (SettingsRefused(check)) return false;
    const Settings* settings = form_->listSettings();
    if (settings && HoldsSampleCompany(*settings) && confirm_ &&
        !confirm_(QStringLiteral("차량정보설정의 법인명이 아직 예시 값(%1)입니다. 이대로 만들면 예시 회사가 양식에 "
                                 "인쇄됩니다.\n그래도 양식을 만드시겠습니까?")
                      .arg(ToQString(settings->corporateName)))) {
        return false;
    }
    TrackListModel* model = form_->model();
    popup->setSourceList([model] { return model->ReportRows(); });
    popup->setSettings(settings ? std::optional(*settings) : std::nullopt);
    fill();
    popup->show();
    popup->raise();
    return true;
}

bool MapAndReportWiring::ShowLogReport() {
    return Show(logReport_, LogReportSettingsProblem, [this] { logReport_->FillLogReport(); });
}

bool MapAndReportWiring::ShowRefundReport() {
    return Show(refundReport_, RefundReportSettingsProblem, [this] { refundReport_->FillRefundReport(); });
}

void MapAndReportWiring::PrintLogReport() {
    if (ShowLogReport()) logReport_->Print();
}

}  // namespace ml
