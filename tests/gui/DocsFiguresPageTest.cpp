// Makes the project's pictures and sample PDFs of the map and the two forms
// from a small set of tracks: run with ML_DOCS_DIR set to the docs folder
// (screenshots/ and samples/ below it). Without it the pictures go to a
// temporary folder and are only checked for content.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

#include "core/MapStatements.h"
#include "core/ReportStatements.h"
#include "tests/gui/GuiTestData.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"
#include "views/CComboListCtrl.h"
#include "views/CMainDialog.h"
#include "views/MapAndReportWiring.h"
#include "views/CTrackMapDlg.h"
#include "views/PageScriptView.h"
#include "views/TrackListModel.h"

namespace ml {
namespace {

bool Evaluate(PageScriptView* view, const QString& expression) {
    bool done = false;
    bool value = false;
    view->EvaluatePageScript(expression, [&](const QVariant& v) {
        value = v.toBool();
        done = true;
    });
    return QTest::qWaitFor([&] { return done; }, 60000) && value;
}

// Four drives around Seoul and Seongnam, as a logger would record them.
TrackList SampleTracks() {
    struct Leg { double lat0, lon0, lat1, lon1; uint32_t color; };
    const Leg legs[] = {{37.5663, 126.9779, 37.3947, 127.1112, 0x000000E0u},
                        {37.3947, 127.1112, 37.4011, 127.1086, 0x0000A000u},
                        {37.4011, 127.1086, 37.5124, 127.0588, 0x00E00000u},
                        {37.5124, 127.0588, 37.5219, 126.9245, 0x000080E0u}};
    TrackList tracks;
    for (const Leg& leg : legs) {
        TrackRecord track;
        track.color = leg.color;
        for (int i = 0; i <= 400; ++i) {
            const double t = i / 400.0;
            FixRecord fix;
            fix.latitude = static_cast<float>(leg.lat0 + (leg.lat1 - leg.lat0) * t + 0.01 * std::sin(t * 6.0));
            fix.longitude = static_cast<float>(leg.lon0 + (leg.lon1 - leg.lon0) * t + 0.008 * std::sin(t * 9.0));
            track.fixes.push_back(fix);
        }
        tracks.push_back(track);
    }
    const char* texts[4][8] = {
        {"Track2026/03/02_07:41", "0시간 51분 45초", "27.412 Km", "2026-03-02_07:41:05", "2026-03-02_08:32:50",
         "대한민국 서울특별시 중구 세종대로 110", "대한민국 경기도 성남시 분당구 판교역로 235", "출퇴근용"},
        {"Track2026/03/02_13:05", "0시간 09분 28초", "1.873 Km", "2026-03-02_13:05:12", "2026-03-02_13:14:40",
         "대한민국 경기도 성남시 분당구 판교역로 235", "No Data", "일반업무용"},
        {"Track2026/03/02_17:20", "0시간 42분 31초", "19.560 Km", "2026-03-02_17:20:00", "2026-03-02_18:02:31",
         "대한민국 경기도 성남시 분당구 판교역로 166", "대한민국 서울특별시 강남구 테헤란로 152", "일반업무용"},
        {"Track2026/03/02_18:40", "0시간 35분 38초", "12.004 Km", "2026-03-02_18:40:09", "2026-03-02_19:15:47",
         "대한민국 서울특별시 강남구 테헤란로 152", "대한민국 서울특별시 영등포구 여의대로 24", "출퇴근용"}};
    for (size_t t = 0; t < tracks.size(); ++t) {
        TrackRecord& track = tracks[t];
        track.name = texts[t][0];
        track.durationText = texts[t][1];
        track.distanceText = texts[t][2];
        track.startTimeText = texts[t][3];
        track.endTimeText = texts[t][4];
        track.startAddress = texts[t][5];
        track.endAddress = texts[t][6];
        track.use = texts[t][7];
        const FixRecord& first = track.fixes.front();
        const FixRecord& last = track.fixes.back();
        track.startPositionText = "위도:" + std::to_string(first.latitude) + " 경도:" + std::to_string(first.longitude);
        track.endPositionText = "위도:" + std::to_string(last.latitude) + " 경도:" + std::to_string(last.longitude);
    }
    return tracks;
}

ReportSettingTexts SampleSettings() {
    ReportSettingTexts s;
    s.businessYearStart = "2026.01.01";
    s.businessYearEnd = "2026.12.31";
    s.corporateName = "(주)마일레저";
    s.corporateNum = "123-45-67890";
    s.carName = "쏘나타";
    s.carNum = "12가3456";
    s.carMeterNum = "25310";
    s.employeePartName = "영업부";
    s.employeeName = "홍길동";
    s.employeeNum = "A-1017";
    s.carMileage = "11.5";
    s.oilBill = "1659";
    return s;
}

}  // namespace

class DocsFiguresPageTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        const QByteArray docs = qgetenv("ML_DOCS_DIR");
        if (!docs.isEmpty()) {
            screenshots_ = QString::fromLocal8Bit(docs) + "/screenshots";
            samples_ = QString::fromLocal8Bit(docs) + "/samples";
        } else {
            screenshots_ = samples_ = temp_.path();
        }
        QVERIFY(QDir().mkpath(screenshots_));
        QVERIFY(QDir().mkpath(samples_));
    }

    void mapWithTracks() {
        CTrackMapDlg map(QStringLiteral("data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"));
        map.resize(900, 600);
        map.show();
        QVERIFY(QTest::qWaitForWindowExposed(&map));
        const TrackList tracks = SampleTracks();
        for (const std::string& statement : MapRefreshStatements(tracks)) map.CallPageScript(QString::fromStdString(statement));
        for (int i = 0; i < static_cast<int>(tracks.size()); ++i) {
            map.CallPageScript(QString::fromStdString(ShowRawPathStatement(i, true)));
        }
        PageScriptView* page = map.findChild<PageScriptView*>();
        QVERIFY(Evaluate(page, "lines.length === 4"));
        QTRY_VERIFY_WITH_TIMEOUT(
            Evaluate(page, "Array.from(document.querySelectorAll('.leaflet-marker-icon'))"
                                     ".every(i => i.complete && i.naturalWidth > 0)"),
            20000);
        QTest::qWait(1500);  // let the zoom animation settle
        const QImage image = map.grab().toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.save(screenshots_ + "/map_tracks.png"));
    }

    void trackListFormWithTheMap() {
        CMainDialog form(true);
        auto* wiring = new MapAndReportWiring(&form, QStringLiteral("data:image/gif;base64,R0lGODlhAQABAIAAAAAAAP///yH5BAEAAAAALAAAAAABAAEAAAIBRAA7"));
        form.resize(1280, 720);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TrackList tracks = SampleTracks();
        form.RefreshTracks(tracks);
        form.model()->SetChecked(3, false);
        // The third drive chosen in the list, then all of them in view as
        // "전체 보기" shows them.
        CComboListCtrl* list = form.listControl();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(form.model()->index(2, 2)).center());
        wiring->mapView()->CallPageScript(QString::fromStdString(FitAllStatement()));
        PageScriptView* page = wiring->mapView()->findChild<PageScriptView*>();
        QVERIFY(Evaluate(page, "lines.length === 4"));
        QTRY_VERIFY_WITH_TIMEOUT(
            Evaluate(page, "Array.from(document.querySelectorAll('.leaflet-marker-icon'))"
                           ".every(i => i.complete && i.naturalWidth > 0)"),
            20000);
        QTest::qWait(1500);
        const QImage image = form.grab().toImage();
        QVERIFY(!image.isNull());
        QVERIFY(image.save(screenshots_ + "/map_main_form.png"));
    }

    // A month of 60 trips: the first sheet of both forms, the second sheet
    // of the log, and both as PDF.
    void forms() {
        const auto rows = test::MonthOfRows(60);
        CHtmlDlgTrackOutNew log;
        CHtmlDlgTrackOutOld refund;
        struct Form { ReportPopup* popup; const char* name; };
        for (const Form& form : {Form{&log, "log_report"}, Form{&refund, "refund_report"}}) {
            form.popup->setSourceList([&] { return rows; });
            form.popup->setSettings(SampleSettings());
        }
        log.FillLogReport();
        refund.FillRefundReport();
        for (const Form& form : {Form{&log, "log_report"}, Form{&refund, "refund_report"}}) {
            form.popup->show();
            QVERIFY(QTest::qWaitForWindowExposed(form.popup));
            QVERIFY(Evaluate(form.popup->pageView(), "document.querySelectorAll('.sheet').length > 1"));
            QTest::qWait(800);
            QVERIFY(form.popup->grab().toImage().save(screenshots_ + "/" + form.name + ".png"));
            if (form.popup == &log) {
                QVERIFY(Evaluate(log.pageView(), "document.querySelectorAll('.sheet')[1].scrollIntoView(), true"));
                QTest::qWait(800);
                QVERIFY(log.grab().toImage().save(screenshots_ + "/log_report_page2.png"));
            }

            QSignalSpy saved(form.popup, &ReportPopup::pdfSaved);
            const QString pdf = samples_ + "/" + form.name + ".pdf";
            form.popup->savePdf(pdf);
            QVERIFY(saved.wait(60000));
            QVERIFY(saved.at(0).at(1).toBool());
            QFile file(pdf);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.read(5), QByteArray("%PDF-"));
        }
    }

private:
    QTemporaryDir temp_;
    QString screenshots_;
    QString samples_;
};

}  // namespace ml

QTEST_MAIN(ml::DocsFiguresPageTest)
#include "DocsFiguresPageTest.moc"
