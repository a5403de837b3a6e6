#include "views/CMainDialog.h"

#include <QApplication>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "core/MapStatements.h"
#include "views/CComboListCtrl.h"
#include "views/CTrackInfo.h"
#include "views/CTrackMapDlg.h"
#include "views/DialogUnits.h"
#include "views/QtText.h"
#include "views/TrackMapSink.h"
#include "views/UiThread.h"

namespace ml {

namespace {

const char* const kHeaders[CMainDialog::kColumnCount] = {
    "NO", " ", "트랙이름", "사용용도", "운행목적", "트랙시간", "이동거리",
    "시작시간", "종료시간", "시작위치(위경도)", "종료위치(위경도)", "시작위치(주소)", "종료위치(주소)"};

// The check state a row had before the latest change, so that only real
// changes reach the track and the map.
constexpr int kCheckRole = Qt::UserRole + 1;

QColor TrackColor(uint32_t color) {  // 0x00BBGGRR
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

}  // namespace

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

    refundButton_ = new QPushButton(QStringLiteral("차량운행기록 생성"), this);
    refundButton_->setObjectName("button1001");
    refundButton_->setGeometry(DluX(444), DluY(15), DluX(73), DluY(16));
    logButton_ = new QPushButton(QStringLiteral("운행기록부 생성"), this);
    logButton_->setObjectName("button1005");
    logButton_->setGeometry(DluX(444), DluY(35), DluX(73), DluY(16));
    connect(refundButton_, &QPushButton::clicked, this, &CMainDialog::refundReportRequested);
    connect(logButton_, &QPushButton::clicked, this, &CMainDialog::logReportRequested);

    list_ = new CComboListCtrl(this, kListId);
    SetupColumns();
    infoPanel_ = new CTrackInfo(this);

    connect(list_, &CComboListCtrl::rowChosen, this, &CMainDialog::OnRowChosen);
    connect(list_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != kColNo) return;
        const int checked = item->checkState() == Qt::Checked ? 1 : 0;
        if (item->data(kCheckRole).toInt() == checked) return;
        {
            const QSignalBlocker quiet(list_);
            item->setData(kCheckRole, checked);
        }
        OnCheckChanged(item->row(), checked);
    });
    connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this, &CMainDialog::OnHeaderClicked);
    connect(list_, &CComboListCtrl::fillCellChoices, this, &CMainDialog::OnFillChoices, Qt::DirectConnection);
    connect(list_, &CComboListCtrl::cellEditDone, this, &CMainDialog::OnCellEditDone);
}

CMainDialog::~CMainDialog() {
    // Closing the window ends an open cell edit; the list must not report it
    // to a form that is half destroyed.
    disconnect(list_, nullptr, this, nullptr);
}

void CMainDialog::SetupColumns() {
    list_->setColumnCount(kColumnCount);
    QStringList headers;
    for (const char* header : kHeaders) headers << QString::fromUtf8(header);
    list_->setHorizontalHeaderLabels(headers);
    for (int c = 0; c < kColumnCount; ++c) {
        list_->setColumnWidth(c, 40);
        if (c != kColPurpose) list_->MarkReadOnlyColumn(c);
    }
    // Column 3 is read-only for typing but edited through its drop-down.
    list_->MarkComboColumn(kColUse);
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
    trackList_ = &tracks;
    {
        const QSignalBlocker quiet(list_);
        list_->setRowCount(0);
        list_->setRowCount(int(tracks.size()));
    }
    CallMap(MapClearStatement());
    for (int i = 0; i < int(tracks.size()); ++i) {
        const TrackRecord& track = tracks[size_t(i)];
        {
            const QSignalBlocker quiet(list_);
            list_->SetCellText(i, kColNo, QString::number(i + 1));
            QTableWidgetItem* no = list_->item(i, kColNo);
            no->setFlags(no->flags() | Qt::ItemIsUserCheckable);
            no->setCheckState(Qt::Unchecked);
            no->setData(kCheckRole, 0);
            list_->SetCellText(i, kColColor, QString());
            list_->item(i, kColColor)->setBackground(TrackColor(track.color));
            const auto texts = TrackTexts(track);
            // Use and purpose are shown as stored, so values loaded from a
            // file reach the panel and the reports that read these cells.
            for (int t = 0; t < kTrackTextCount; ++t) list_->SetCellText(i, kColName + t, ToQString(*texts[size_t(t)]));
        }
        CallMap(AddLogPolyLineStatement(track.color));
        // A whole track's points travel in one statement: one statement per
        // fix makes a refresh of a real log take seconds.
        if (showMap_ && mapSink_) CallMap(PushRawPathStatement(i, track.fixes));
    }
    // The statements queue in order in the map view, so the page sees
    // "update()" after every point without a pause here.
    CallMap(MapUpdateStatement());
    list_->resizeColumnsToContents();
    list_->setColumnWidth(kColUse, 80);
    for (int i = 0; i < list_->rowCount(); ++i) list_->item(i, kColNo)->setCheckState(Qt::Checked);
    infoPanel_->setSourceList(list_);
    return 0;
}

void CMainDialog::OnRowChosen(int row) {
    ML_ASSERT_UI_THREAD();
    if (row < 0 || row >= list_->rowCount()) return;
    CallMap(SetBoundsStatement(row));
    infoPanel_->ShowTrack(row);
}

void CMainDialog::OnCheckChanged(int row, int checked) {
    ML_ASSERT_UI_THREAD();
    if (!trackList_ || row < 0 || row >= int(trackList_->size())) return;
    (*trackList_)[size_t(row)].selected = checked;
    CallMap(ShowRawPathStatement(row, checked != 0));
}

void CMainDialog::OnHeaderClicked(int section) {
    if (!trackList_ || section != kColNo) return;
    SetAllChecks(allChecked_ == 0);
    allChecked_ = allChecked_ == 0 ? 1 : 0;
}

void CMainDialog::SetChecks(const std::vector<int32_t>& ticks) {
    for (int i = 0; i < list_->rowCount() && i < int(ticks.size()); ++i) {
        if (QTableWidgetItem* no = list_->item(i, kColNo)) no->setCheckState(ticks[size_t(i)] ? Qt::Checked : Qt::Unchecked);
    }
}

void CMainDialog::SetAllChecks(bool checked) {
    for (int i = 0; i < list_->rowCount(); ++i) {
        if (QTableWidgetItem* no = list_->item(i, kColNo)) no->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void CMainDialog::OnFillChoices(int column, QStringList* choices) {
    choices->clear();
    // Choices are offered only to an edit the user started on the list.
    const QWidget* focus = QApplication::focusWidget();
    const bool focusOnList = focus == nullptr || focus == list_ || list_->isAncestorOf(focus);
    if (focusOnList && column == kColUse) *choices << QStringLiteral("출퇴근용") << QStringLiteral("일반업무용");
}

void CMainDialog::OnCellEditDone(int controlId, int row, int column, const QString& text) {
    ML_ASSERT_UI_THREAD();
    if (!trackList_ || controlId != kListId) return;
    if (row < 0 || row >= int(trackList_->size())) return;
    TrackRecord& track = (*trackList_)[size_t(row)];
    if (column == kColUse) track.use = ToStdString(text);
    if (column == kColPurpose) track.purpose = ToStdString(text);
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
