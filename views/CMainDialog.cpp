#include "views/CMainDialog.h"

#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "core/MapStatements.h"
#include "views/CComboListCtrl.h"
#include "views/CInPlaceCombo.h"
#include "views/CTrackInfo.h"
#include "views/CTrackMapDlg.h"
#include "views/DialogUnits.h"
#include "views/TrackListModel.h"
#include "views/TrackMapSink.h"
#include "views/UiThread.h"

namespace ml {

CMainDialog::CMainDialog(bool showMap, QWidget* parent) : QWidget(parent), showMap_(showMap) {
    setObjectName("mainDialog");
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    logo_ = new QLabel(this);
    logo_->setObjectName("logo1002");
    logo_->setGeometry(DluX(7), DluY(7), DluX(331), DluY(50));
    logo_->setPixmap(QIcon(QStringLiteral(":/mileledger/logo.svg")).pixmap(logo_->size()));

    auto* refundButton = new QPushButton(QStringLiteral("차량운행기록 생성"), this);
    refundButton->setObjectName("button1001");
    refundButton->setGeometry(DluX(444), DluY(15), DluX(73), DluY(16));
    auto* logButton = new QPushButton(QStringLiteral("운행기록부 생성"), this);
    logButton->setObjectName("button1005");
    logButton->setGeometry(DluX(444), DluY(35), DluX(73), DluY(16));
    connect(refundButton, &QPushButton::clicked, this, &CMainDialog::refundReportRequested);
    connect(logButton, &QPushButton::clicked, this, &CMainDialog::logReportRequested);

    model_ = new TrackListModel(this);
    list_ = new CComboListCtrl(this, kListId);
    list_->setModel(model_);
    list_->setItemDelegateForColumn(TrackListModel::kColUse, new CInPlaceCombo(TrackListModel::UseChoices(), list_));
    // Every heading readable from the first show.
    list_->FitColumns();
    infoPanel_ = new CTrackInfo(this);
    infoPanel_->setSourceList(model_);

    connect(list_, &CComboListCtrl::rowChosen, this, &CMainDialog::OnRowChosen);
    connect(list_, &CComboListCtrl::tickToggled, this,
            [this](int row) { model_->SetChecked(row, !model_->IsChecked(row)); });
    connect(model_, &TrackListModel::checkChanged, this, &CMainDialog::OnCheckChanged);
    connect(model_, &TrackListModel::entryEdited, this, [this](int row, int) {
        // A longer text widens its column.
        list_->FitColumns();
        emit entryEdited(row);
    });
    connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this, &CMainDialog::OnHeaderClicked);
}

CMainDialog::~CMainDialog() {
    // Closing the window ends an open cell edit; the model must not report it
    // to a form that is half destroyed.
    disconnect(model_, nullptr, this, nullptr);
}

void CMainDialog::setMapView(QWidget* view, TrackMapSink* sink) {
    if (!showMap_) return;
    mapView_ = view;
    mapSink_ = sink;
    if (mapView_) {
        mapView_->setParent(this);
        mapView_->show();
    }
    resizeEvent(nullptr);
}

void CMainDialog::CallMap(const std::string& statement) {
    if (showMap_ && mapSink_ && !statement.empty()) mapSink_->CallPageScript(QString::fromStdString(statement));
}

int CMainDialog::RefreshTracks(TrackList& tracks) {
    ML_ASSERT_UI_THREAD();
    // An edit still open belongs to rows that are about to go.
    list_->DiscardCellEdit();
    model_->Reset(&tracks);
    refreshed_ = true;
    // A whole track's points travel in one statement: one statement per fix
    // makes a refresh of a real log take seconds. The statements queue in
    // order in the map view, so the page sees "update()" after every point.
    if (showMap_ && mapSink_) {
        for (const std::string& statement : MapRefreshStatements(tracks)) CallMap(statement);
    }
    list_->FitColumns();
    model_->SetAllChecked(true);
    return 0;
}

void CMainDialog::OnRowChosen(int row) {
    ML_ASSERT_UI_THREAD();
    if (row < 0 || row >= model_->rowCount()) return;
    CallMap(SetBoundsStatement(row));
    CallMap(HighlightTrackStatement(row));
    infoPanel_->ShowTrack(row);
}

void CMainDialog::OnCheckChanged(int row, bool checked) {
    ML_ASSERT_UI_THREAD();
    CallMap(ShowRawPathStatement(row, checked));
}

void CMainDialog::OnHeaderClicked(int section) {
    if (!refreshed_ || section != TrackListModel::kColNo) return;
    model_->SetAllChecked(allChecked_ == 0);
    allChecked_ = allChecked_ == 0 ? 1 : 0;
}

void CMainDialog::SetChecks(const std::vector<int32_t>& ticks) {
    for (int i = 0; i < model_->rowCount() && i < int(ticks.size()); ++i) model_->SetChecked(i, ticks[size_t(i)] != 0);
}

void CMainDialog::resizeEvent(QResizeEvent* event) {
    if (event) QWidget::resizeEvent(event);
    const int cx = width();
    const int cy = height();
    if (showMap_) {
        const int mapWidth = cx / 2 - 10;
        if (mapView_) {
            // The map keeps this height while the user drags its width.
            if (auto* map = qobject_cast<CTrackMapDlg*>(mapView_)) map->setFixedHeightValue(cy - 100);
            mapView_->setGeometry(kMapLeft, 100, mapWidth, cy - 100);
        }
        // Laid out from the width the map now has, so that the map's own
        // (later) report of that width moves nothing.
        RelayoutBesideMap(mapWidth);
    } else {
        list_->setGeometry(10, 100, cx - 20, cy - 100 - kInfoHeight);
        infoPanel_->setGeometry(10, cy - kInfoHeight, cx - 10, kInfoHeight);
    }
}

void CMainDialog::RelayoutBesideMap(int mapWidth) {
    const int w = width();
    const int h = height();
    const int x = kMapLeft + mapWidth + 10;
    list_->setGeometry(x, 100, w - x - 10, h - 100 - kInfoHeight);
    infoPanel_->setGeometry(x, h - kInfoHeight, w - x, kInfoHeight);
}

}  // namespace ml
