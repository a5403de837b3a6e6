// The two forms in the real web engine, filled by the track list form's
// buttons (the figures are the statements' tests), printed and saved.
#include <QApplication>
#include <QFile>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "store/Settings.h"
#include "tests/gui/GuiTestData.h"
#include "tests/gui/PageEval.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"
#include "views/CMainDialog.h"
#include "views/MapAndReportWiring.h"
#include "views/TrackListModel.h"

namespace ml {
namespace {

QVariant Eval(ReportPopup& popup, const QString& expression) { return test::Eval(popup.pageView(), expression); }
QList<QStringList> Rows(ReportPopup& popup, const QString& selector) { return test::Cells(popup.pageView(), selector); }

Settings SampleSettings() {
    Settings s;
    s.employeeName = "홍길동";
    s.employeeNum = "A-17";
    s.employeePartName = "영업부";
    s.corporateName = "(주)마일레저";
    s.corporateNum = "123-45-67890";
    s.businessYearStart = "2026.01.01";
    s.businessYearEnd = "2026.12.31";
    s.oilBill = "1500";
    s.carName = "쏘나타";
    s.carNum = "12가3456";
    s.carMileage = "10";
    s.carMaterNum = "500";
    return s;
}

// Three drives of 10, 20 and 30 km on 1-3 March, the last one ending nowhere.
TrackList Tracks() {
    TrackList tracks(3);
    for (int t = 0; t < 3; ++t) {
        TrackRecord& track = tracks[static_cast<size_t>(t)];
        track.distanceText = std::to_string(10 * (t + 1)) + ".000 Km";
        track.startTimeText = "2026-03-0" + std::to_string(t + 1) + "_08:00:00";
        track.endTimeText = "2026-03-0" + std::to_string(t + 1) + "_09:00:00";
        track.startAddress = "출발지 " + std::to_string(t + 1);
        track.endAddress = t == 2 ? "No Data" : "도착지";
    }
    tracks[1].purpose = "a\\b";
    return tracks;
}

}  // namespace

class ReportPageTest : public QObject {
    Q_OBJECT

private slots:
    void buttonsFillTheFormsFromTheTickedRows() {
        CMainDialog form(false);  // the forms do not need the map
        auto* wiring = new MapAndReportWiring(&form, QString());
        form.show();
        TrackList tracks = Tracks();
        form.RefreshTracks(tracks);
        TrackListModel* list = form.model();
        list->SetChecked(0, false);
        list->setData(list->index(2, TrackListModel::kColUse), QStringLiteral("출퇴근용"));
        list->setData(list->index(2, TrackListModel::kColPurpose), QStringLiteral("it's <b>"));
        QPushButton* logButton = form.findChild<QPushButton*>("button1005");
        QPushButton* refundButton = form.findChild<QPushButton*>("button1001");
        auto* log = form.findChild<CHtmlDlgTrackOutNew*>();
        auto* refund = form.findChild<CHtmlDlgTrackOutOld*>();
        QCOMPARE(log->windowTitle(), QStringLiteral("운행기록부 - 미리보기"));
        QCOMPARE(refund->windowTitle(), QStringLiteral(" 차량운행기록 - 미리보기"));
        QCOMPARE(log->size(), QSize(740, 760));
        QCOMPARE(log->findChild<QPushButton*>("printButton")->geometry(), QRect(660, 710, 50, 30));

        logButton->click();  // without settings the form stays empty
        QVERIFY(log->isVisible());
        QCOMPARE(Eval(*log, "document.getElementById('list_ctrl').innerHTML").toString(), QString());
        const Settings settings = SampleSettings();
        form.setListSettings(&settings);
        logButton->click();
        QCOMPARE(Rows(*log, "#list_ctrl table.head tr")[0],
                 (QStringList{"사업연도", "2026.01.01 ~ 2026.12.31", "업무용승용차 운행기록부",
                              "법\u00a0\u00a0\u00a0인\u00a0\u00a0\u00a0명", "(주)마일레저"}));
        QCOMPARE(Rows(*log, "#list_ctrl table.car tr"),
                 (QList<QStringList>{{"차 종", "자동차등록번호"}, {"쏘나타", "12가3456"}}));
        QCOMPARE(Rows(*log, "#list_ctrl table.list thead tr")[1],
                 (QStringList{"부서", "성명", "주행 전계기판의 거리(Km)", "주행 후계기판의 거리(Km)", "주행거리",
                              "업무용 사용거리(km)", "비고"}));
        QCOMPARE(Rows(*log, "#list_ctrl tr.trip"),
                 (QList<QStringList>{
                     {"2026-03-02(월)08:00", "영업부", "홍길동", "500.0", "520.0", "20.0", "", "20.0", "a\\b"},
                     {"2026-03-03(화)08:00", "영업부", "홍길동", "520.0", "550.0", "30.0", "30.0", "", "it's <b>"}}));
        QCOMPARE(Eval(*log, "document.querySelectorAll('#list_ctrl b').length").toInt(), 0);
        // The day and its time stay on their two lines.
        QVERIFY(Eval(*log, "document.querySelector('td.day').getClientRects()[0].height < 40").toBool());
        QCOMPARE(Eval(*log, "document.querySelector('.sheet .page-no').textContent").toString(),
                 QStringLiteral("쪽 1 / 1"));
        QCOMPARE(Rows(*log, "#list_ctrl tr.total")[0], (QStringList{"50.0", "50.0", "100.0"}));
        log->Cancel();
        QVERIFY(!log->isVisible());
        QCOMPARE(Eval(*log, "document.getElementById('list_ctrl').innerHTML").toString(), QString());

        refundButton->click();
        QVERIFY(refund->isVisible());
        QCOMPARE(Rows(*refund, "#list_ctrl table.name tr"),
                 (QList<QStringList>{{"사번 :", "A-17"}, {"이름 :", "홍길동"}}));
        QCOMPARE(Eval(*refund, "document.querySelector('h1').textContent").toString(),
                 QStringLiteral("차량 운행 기록(마일리지 환급 신청)"));
        QCOMPARE(Rows(*refund, "#list_ctrl tr.header")[0],
                 (QStringList{"트랙", "구분", "시간", "위치", "운행(Km)", "사용용도", "운행목적/Comment"}));
        QCOMPARE(Rows(*refund, "#list_ctrl table.head tr"),
                 (QList<QStringList>{{"법인명", "(주)마일레저", "자동차등록번호", "12가3456"},
                                     {"기간", "2026-03-02 ~ 2026-03-03", "부서", "영업부"}}));
        QCOMPARE(Rows(*refund, "#list_ctrl tr.trip")[1],
                 (QStringList{"2", "시작", "2026-03-03(화) 08:00", "출발지 3", "30.0", "출퇴근용", "it's <b>"}));
        QCOMPARE(Rows(*refund, "#list_ctrl tr.trip-end")[1], (QStringList{"종료", "2026-03-03(화) 09:00", "No Data"}));
        QCOMPARE(Rows(*refund, "#list_ctrl table.total tr")[3], (QStringList{"청구금액(KRW)", "7,500원"}));
        QCOMPARE(Rows(*refund, "#list_ctrl table.total tr")[1][1], QStringLiteral("10.00"));
        // The whole table fits the preview: nothing to scroll sideways.
        QVERIFY(Eval(*refund, "document.documentElement.scrollWidth <= window.innerWidth").toBool());
        // Closing only hides it; the content stays until the next fill.
        refund->Cancel();
        QVERIFY(!refund->isVisible());
        QCOMPARE(Rows(*refund, "#list_ctrl tr.trip").size(), 2);

        // A setting that holds no number refuses the form and says why.
        QSignalSpy refused(wiring, &MapAndReportWiring::reportRefused);
        Settings unreadable = settings;
        unreadable.oilBill = "1459원";
        form.setListSettings(&unreadable);
        refundButton->click();
        QVERIFY(!refund->isVisible());
        QCOMPARE(refused.size(), 1);
        QVERIFY(refused[0][0].toString().endsWith("유류비: \"1459원\""));
        logButton->click();  // the log does not use it
        QVERIFY(log->isVisible());
        QCOMPARE(refused.size(), 1);

        // The page's Print() asks for the dialog; the test closes it.
        bool dialogSeen = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                dialogSeen = true;
                dialog->reject();
            }
        });
        poll.start(50);
        log->Print();
        QTRY_VERIFY_WITH_TIMEOUT(dialogSeen, 20000);
    }

    void closingWithAPdfPendingIsHarmless() {
        QTemporaryDir dir;
        auto* popup = new CHtmlDlgTrackOutNew;
        popup->savePdf(dir.filePath(QStringLiteral("never.pdf")));  // waits for the page
        delete popup;
        QTest::qWait(500);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("never.pdf"))));
    }

    // A month of 60 trips written as PDF and read back page by page
    // (poppler's pdftotext): every page carries the column headings and its
    // "쪽 n / m", no trip is split across a page break, and the totals close
    // the last page.
    void sixtyTripsPrintOnWholeNumberedPages() {
        const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        if (pdftotext.isEmpty()) QFAIL("pdftotext not found (Debian poppler-utils, tools/setup-deps.sh)");
        auto rows = test::MonthOfRows(60);
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i].purpose = Format("운행%02zu%s", i, i % 7 == 6 ? " 협력사 품질 점검 후 본사 복귀, 성적서 수령" : "");
        CHtmlDlgTrackOutNew log;
        CHtmlDlgTrackOutOld refund;
        struct Form {
            ReportPopup* popup;
            const char* heading;
            const char* total;
        };
        QTemporaryDir dir;
        for (const Form& form :
             {Form{&log, "사용일자", "사업연도 총주행 거리(Km)"}, Form{&refund, "운행목적/Comment", "청구금액(KRW)"}}) {
            form.popup->setSourceList([&] { return rows; });
            form.popup->setSettings(SampleSettings());
            if (form.popup == &log)
                log.FillLogReport();
            else
                refund.FillRefundReport();
            QSignalSpy saved(form.popup, &ReportPopup::pdfSaved);
            const QString path = dir.filePath(QStringLiteral("form.pdf"));
            form.popup->savePdf(path);
            QVERIFY(saved.wait(60000));
            QVERIFY(saved.at(0).at(1).toBool());

            QProcess text;
            text.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
            QVERIFY(text.waitForFinished(60000));
            QStringList pages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'));
            if (pages.last().trimmed().isEmpty()) pages.removeLast();
            // The text comes with the blanks of the layout, not of the page.
            for (QString& page : pages) page.remove(QRegularExpression(QStringLiteral("\\s")));
            auto squeezed = [](const char* text) { return QString::fromUtf8(text).remove(QLatin1Char(' ')); };
            const int m = static_cast<int>(pages.size());
            QVERIFY2(m >= 3, qPrintable(QString::number(m)));
            QCOMPARE(Eval(*form.popup, "document.querySelectorAll('.sheet').length").toInt(), m);
            for (int p = 0; p < m; ++p) {
                QVERIFY2(pages[p].contains(squeezed(form.heading)), qPrintable(pages[p]));
                QVERIFY2(pages[p].contains(QStringLiteral("쪽%1/%2").arg(p + 1).arg(m)), qPrintable(pages[p]));
                QCOMPARE(pages[p].contains(squeezed(form.total)), p == m - 1);
            }
            auto pageOf = [&](const QString& token) {
                int found = -1;
                for (int p = 0; p < m; ++p)
                    if (pages[p].contains(token)) found = found < 0 ? p : -2;
                return found;
            };
            for (size_t i = 0; i < rows.size(); ++i) {
                const QString purpose = QString::fromStdString(rows[i].purpose.substr(0, 8));
                const int page = pageOf(purpose);
                QVERIFY2(page >= 0, qPrintable(purpose));
                // A split row would leave its start or end time on another page.
                QCOMPARE(pageOf(QString::fromStdString(rows[i].startTime.substr(11, 5))), page);
                if (form.popup == &refund)
                    QCOMPARE(pageOf(QString::fromStdString(rows[i].endTime.substr(11, 5))), page);
            }
        }
    }
};

}  // namespace ml

QTEST_MAIN(ml::ReportPageTest)
#include "ReportPageTest.moc"
