// Makes the project's pictures (docs/screenshots) and sample PDFs
// (docs/samples) from the real windows: a simulated read-log through the main
// window, the map with four drives, and both forms for a month of trips.
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/gui/tools/docshots/docshots docs
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>

#include "app/CMainFrame.h"
#include "app/LoggerSimLauncher.h"
#include "core/MapStatements.h"
#include "core/TextFormat.h"
#include "tests/gui/GuiTestData.h"
#include "tools/docshots/SilentPrompts.h"
#include "views/CComConnectDlg.h"
#include "views/CComboListCtrl.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"
#include "views/CLoadingPopup.h"
#include "views/CMainDialog.h"
#include "views/CSettingDlg.h"
#include "views/CTrackInfo.h"
#include "views/CTrackMapDlg.h"
#include "views/MapAndReportWiring.h"
#include "views/PageScriptView.h"
#include "views/TrackListModel.h"
#include "views/UserPrompts.h"

namespace ml {
namespace {

const QString kNoTiles =
    QStringLiteral("data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7");
QString gShots, gSamples;
bool gOk = true;

#define CHECK(cond)                                                                   \
    do {                                                                              \
        if (!(cond)) {                                                                \
            std::fprintf(stderr, "docshots: %s failed (line %d)\n", #cond, __LINE__); \
            gOk = false;                                                              \
            return;                                                                   \
        }                                                                             \
    } while (0)

void Keep(const QPixmap& picture, const QString& name) {
    if (picture.isNull() || !picture.save(gShots + "/" + name + ".png")) {
        std::fprintf(stderr, "docshots: cannot write %s\n", qPrintable(name));
        gOk = false;
    }
}

// No window manager on the virtual screen: a plain caption bar for titled windows.
QPixmap WithWindowOver(QWidget* frame, QWidget* window) {
    QPixmap picture = frame->grab();
    QPainter painter(&picture);
    const QPoint at = window->geometry().topLeft() - frame->geometry().topLeft();
    if (!window->windowTitle().isEmpty()) {
        const QRect bar(at.x() - 1, at.y() - 24, window->width() + 2, 24);
        painter.fillRect(bar, QColor("#0b3d66"));
        painter.setPen(Qt::white);
        painter.drawText(bar.adjusted(8, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
        painter.setPen(QColor("#0b3d66"));
        painter.drawRect(QRect(at.x() - 1, at.y() - 1, window->width() + 1, window->height() + 1));
    }
    painter.drawPixmap(at, window->grab());
    return picture;
}

bool Evaluate(PageScriptView* view, const QString& expression) {
    bool done = false, value = false;
    view->EvaluatePageScript(expression, [&](const QVariant& v) {
        value = v.toBool();
        done = true;
    });
    return QTest::qWaitFor([&] { return done; }, 60000) && value;
}

bool MarkersDrawn(PageScriptView* page) {
    return QTest::qWaitFor(
        [&] {
            return Evaluate(page,
                            "Array.from(document.querySelectorAll('.leaflet-marker-icon'))"
                            ".every(i => i.complete && i.naturalWidth > 0)");
        },
        20000);
}

// The first start, the connect dialog, the popup during a download, the
// main window with its list and the vehicle information dialog.
void WindowsOfARead() {
    LoggerSimLauncher sim;
    QString error;
    const QString port = sim.Start(ML_LOGGERSIM_PATH, "mtk", 5000, error, {"--pace"});
    CHECK(!port.isEmpty());
    QTemporaryDir dir;
    SilentPrompts prompts(QMessageBox::No);
    FrameOptions options;
    options.settingsPath = dir.filePath("Setting.ini").toStdString();
    options.online = false;
    options.prompts = &prompts;
    options.extraPorts = {port.toStdString()};
    CMainFrame frame(options);
    frame.show();
    CHECK(QTest::qWaitForWindowExposed(&frame));
    CHECK(QTest::qWaitFor([&] { return frame.settingDlg()->isVisible(); }));
    CHECK(QTest::qWaitForWindowExposed(frame.settingDlg()));
    Keep(WithWindowOver(&frame, frame.settingDlg()), "first-start");
    frame.settingDlg()->reject();
    frame.settingDlg()->ShowFirstStartNote(false);

    frame.ReadLogCommand();
    auto* connect = frame.findChild<CComConnectDlg*>();
    auto* combo = connect->findChild<QComboBox*>("combo1019");
    combo->setCurrentIndex(
        combo->findText(QString::fromStdString(frame.session().portList.back().portName), Qt::MatchStartsWith));
    CHECK(QTest::qWaitForWindowExposed(connect));
    Keep(WithWindowOver(&frame, connect), "connect-dialog");

    QSignalSpy finished(&frame, &CMainFrame::downloadFinished);
    QTest::mouseClick(connect->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
    CLoadingPopup* popup = frame.loadingPopup();
    auto* download = popup->findChild<QLabel*>("status1035");
    CHECK(QTest::qWaitFor([&] { return download->text().startsWith("(") && !download->text().startsWith("(0/"); },
                          20000));
    Keep(WithWindowOver(&frame, popup), "loading-popup");
    CHECK(finished.wait(120000));
    CHECK(!frame.session().tracks.empty());

    CComboListCtrl* list = frame.mainDialog()->listControl();
    TrackListModel* model = frame.mainDialog()->model();
    model->SetChecked(1, false);
    model->setData(model->index(0, 3), "일반업무용");
    model->setData(model->index(0, 4), "거래처 방문");
    model->setData(model->index(2, 3), "출퇴근용");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(model->index(0, 2)).center());
    Keep(frame.grab(), "main-window");
    Keep(frame.mainDialog()->grab(frame.mainDialog()->findChild<CTrackInfo*>()->geometry()), "info-panel");

    frame.VehicleInfoCommand();
    CHECK(QTest::qWaitForWindowExposed(frame.settingDlg()));
    Keep(frame.settingDlg()->grab(), "settings-dialog");
    frame.settingDlg()->reject();
}

// Four drives around Seoul and Seongnam, as a logger would record them.
TrackList SampleTracks() {
    struct Leg {
        double lat0, lon0, lat1, lon1;
        uint32_t color;
    };
    const Leg legs[] = {{37.5663, 126.9779, 37.3947, 127.1112, 0x000000E0u},
                        {37.3947, 127.1112, 37.4011, 127.1086, 0x0000A000u},
                        {37.4011, 127.1086, 37.5124, 127.0588, 0x00E00000u},
                        {37.5124, 127.0588, 37.5219, 126.9245, 0x000080E0u}};
    const char* texts[4][8] = {
        {"Track2026/03/02_07:41", "0시간 51분 45초", "27.412 Km", "2026-03-02_07:41:05", "2026-03-02_08:32:50",
         "대한민국 서울특별시 중구 세종대로 110", "대한민국 경기도 성남시 분당구 판교역로 235", "출퇴근용"},
        {"Track2026/03/02_13:05", "0시간 09분 28초", "1.873 Km", "2026-03-02_13:05:12", "2026-03-02_13:14:40",
         "대한민국 경기도 성남시 분당구 판교역로 235", "No Data", "일반업무용"},
        {"Track2026/03/02_17:20", "0시간 42분 31초", "19.560 Km", "2026-03-02_17:20:00", "2026-03-02_18:02:31",
         "대한민국 경기도 성남시 분당구 판교역로 166", "대한민국 서울특별시 강남구 테헤란로 152", "일반업무용"},
        {"Track2026/03/02_18:40", "0시간 35분 38초", "12.004 Km", "2026-03-02_18:40:09", "2026-03-02_19:15:47",
         "대한민국 서울특별시 강남구 테헤란로 152", "대한민국 서울특별시 영등포구 여의대로 24", "출퇴근용"}};
    TrackList tracks;
    for (int t = 0; t < 4; ++t) {
        const Leg& leg = legs[t];
        TrackRecord track;
        track.color = leg.color;
        for (int i = 0; i <= 400; ++i) {
            const double s = i / 400.0;
            FixRecord fix;
            fix.latitude = static_cast<float>(leg.lat0 + (leg.lat1 - leg.lat0) * s + 0.01 * std::sin(s * 6.0));
            fix.longitude = static_cast<float>(leg.lon0 + (leg.lon1 - leg.lon0) * s + 0.008 * std::sin(s * 9.0));
            track.fixes.push_back(fix);
        }
        track.name = texts[t][0];
        track.durationText = texts[t][1];
        track.distanceText = texts[t][2];
        track.startTimeText = texts[t][3];
        track.endTimeText = texts[t][4];
        track.startAddress = texts[t][5];
        track.endAddress = texts[t][6];
        track.use = texts[t][7];
        const FixRecord &first = track.fixes.front(), &last = track.fixes.back();
        track.startPositionText = "위도:" + std::to_string(first.latitude) + " 경도:" + std::to_string(first.longitude);
        track.endPositionText = "위도:" + std::to_string(last.latitude) + " 경도:" + std::to_string(last.longitude);
        tracks.push_back(track);
    }
    return tracks;
}

void Maps() {
    CTrackMapDlg map(kNoTiles);
    map.resize(900, 600);
    map.show();
    CHECK(QTest::qWaitForWindowExposed(&map));
    const TrackList tracks = SampleTracks();
    for (const std::string& statement : MapRefreshStatements(tracks))
        map.CallPageScript(QString::fromStdString(statement));
    for (int i = 0; i < 4; ++i) map.CallPageScript(QString::fromStdString(ShowRawPathStatement(i, true)));
    CHECK(Evaluate(map.findChild<PageScriptView*>(), "lines.length === 4"));
    CHECK(MarkersDrawn(map.findChild<PageScriptView*>()));
    QTest::qWait(1500);  // the zoom animation settles
    Keep(map.grab(), "map_tracks");

    // The list form with the third drive chosen and all of them in view.
    CMainDialog form(true);
    new MapAndReportWiring(&form, kNoTiles);
    form.resize(1280, 720);
    form.show();
    CHECK(QTest::qWaitForWindowExposed(&form));
    TrackList listed = SampleTracks();
    form.RefreshTracks(listed);
    form.model()->SetChecked(3, false);
    CComboListCtrl* list = form.listControl();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(form.model()->index(2, 2)).center());
    auto* formMap = form.findChild<CTrackMapDlg*>();
    formMap->CallPageScript(QString::fromStdString(FitAllStatement()));
    CHECK(Evaluate(formMap->findChild<PageScriptView*>(), "lines.length === 4"));
    CHECK(MarkersDrawn(formMap->findChild<PageScriptView*>()));
    QTest::qWait(1500);
    Keep(form.grab(), "map_main_form");
}

void Forms() {
    const auto rows = test::MonthOfRows(60);
    Settings s;
    s.businessYearStart = "2026.01.01";
    s.businessYearEnd = "2026.12.31";
    s.corporateName = "(주)마일레저";
    s.corporateNum = "123-45-67890";
    s.carName = "쏘나타";
    s.carNum = "12가3456";
    s.carMaterNum = "25310";
    s.employeePartName = "영업부";
    s.employeeName = "홍길동";
    s.employeeNum = "A-1017";
    s.carMileage = "11.5";
    s.oilBill = "1659";
    CHtmlDlgTrackOutNew log;
    CHtmlDlgTrackOutOld refund;
    struct Form {
        ReportPopup* popup;
        const char* name;
    };
    for (const Form& form : {Form{&log, "log_report"}, Form{&refund, "refund_report"}}) {
        form.popup->setSourceList([&] { return rows; });
        form.popup->setSettings(s);
    }
    log.FillLogReport();
    refund.FillRefundReport();
    for (const Form& form : {Form{&log, "log_report"}, Form{&refund, "refund_report"}}) {
        form.popup->show();
        CHECK(QTest::qWaitForWindowExposed(form.popup));
        CHECK(Evaluate(form.popup->pageView(), "document.querySelectorAll('.sheet').length > 1"));
        QTest::qWait(800);
        Keep(form.popup->grab(), form.name);
        if (form.popup == &log) {
            CHECK(Evaluate(log.pageView(), "document.querySelectorAll('.sheet')[1].scrollIntoView(), true"));
            QTest::qWait(800);
            Keep(log.grab(), "log_report_page2");
        }
        QSignalSpy saved(form.popup, &ReportPopup::pdfSaved);
        form.popup->savePdf(gSamples + "/" + form.name + ".pdf");
        CHECK(saved.wait(60000) && saved.at(0).at(1).toBool());
    }
}

}  // namespace
}  // namespace ml

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: docshots DOCS_FOLDER\n");
        return 2;
    }
    ml::gShots = QString::fromLocal8Bit(argv[1]) + "/screenshots";
    ml::gSamples = QString::fromLocal8Bit(argv[1]) + "/samples";
    if (!QDir().mkpath(ml::gShots) || !QDir().mkpath(ml::gSamples)) {
        std::fprintf(stderr, "docshots: cannot make the folders under %s\n", argv[1]);
        return 1;
    }
    ml::WindowsOfARead();
    ml::Maps();
    ml::Forms();
    return ml::gOk ? 0 : 1;
}
