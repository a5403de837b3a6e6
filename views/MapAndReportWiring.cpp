#include "views/MapAndReportWiring.h"

#include <QTableWidget>

#include "store/Settings.h"
#include "views/CComboListCtrl.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"
#include "views/CMainDialog.h"
#include "views/CTrackMapDlg.h"
#include "views/QtText.h"

namespace ml {
namespace {

std::string Cell(const QTableWidget& list, int row, int column) {
    const QTableWidgetItem* item = list.item(row, column);
    return item ? item->text().toStdString() : std::string();
}

}  // namespace

std::vector<ReportRow> ReportRowsFromList(const QTableWidget& list) {
    std::vector<ReportRow> rows;
    rows.reserve(static_cast<size_t>(list.rowCount()));
    for (int r = 0; r < list.rowCount(); ++r) {
        ReportRow row;
        const QTableWidgetItem* no = list.item(r, 0);
        row.ticked = no && no->checkState() == Qt::Checked;
        row.no = Cell(list, r, 0);
        row.use = Cell(list, r, 3);
        row.purpose = Cell(list, r, 4);
        row.distance = Cell(list, r, 6);
        row.startTime = Cell(list, r, 7);
        row.endTime = Cell(list, r, 8);
        row.startAddress = Cell(list, r, 11);
        row.endAddress = Cell(list, r, 12);
        rows.push_back(std::move(row));
    }
    return rows;
}

ReportSettingTexts ReportSettingsFrom(const Settings& s) {
    ReportSettingTexts out;
    out.businessYearStart = s.businessYearStart;
    out.businessYearEnd = s.businessYearEnd;
    out.corporateName = s.corporateName;
    out.corporateNum = s.corporateNum;
    out.carName = s.carName;
    out.carNum = s.carNum;
    out.carMeterNum = s.carMaterNum;
    out.employeePartName = s.employeePartName;
    out.employeeName = s.employeeName;
    out.employeeNum = s.employeeNum;
    out.carMileage = s.carMileage;
    out.oilBill = s.oilBill;
    return out;
}

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

bool MapAndReportWiring::SettingsRefused(const std::function<std::string(const ReportSettingTexts&)>& check) {
    const Settings* settings = form_->listSettings();
    const std::string problem = settings ? check(ReportSettingsFrom(*settings)) : std::string();
    if (!problem.empty()) emit reportRefused(ToQString(problem));
    return !problem.empty();
}

void MapAndReportWiring::ShowLogReport() {
    logReport_->Cancel();  // clears the page and hides the window
    if (SettingsRefused(LogReportSettingsProblem)) return;
    CComboListCtrl* list = form_->listControl();
    logReport_->setSourceList([list] { return ReportRowsFromList(*list); });
    const Settings* settings = form_->listSettings();
    logReport_->setSettings(settings ? std::optional(ReportSettingsFrom(*settings)) : std::nullopt);
    logReport_->FillLogReport();
    logReport_->show();
    logReport_->raise();
}

void MapAndReportWiring::ShowRefundReport() {
    refundReport_->Cancel();
    if (SettingsRefused(RefundReportSettingsProblem)) return;
    CComboListCtrl* list = form_->listControl();
    refundReport_->setSourceList([list] { return ReportRowsFromList(*list); });
    const Settings* settings = form_->listSettings();
    refundReport_->setSettings(settings ? std::optional(ReportSettingsFrom(*settings)) : std::nullopt);
    refundReport_->FillRefundReport();
    refundReport_->show();
    refundReport_->raise();
}

}  // namespace ml
