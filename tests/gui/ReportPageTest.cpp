// The two forms in the real web engine: the tables the fill statements build,
// read back from the page's DOM, the popups' cancel, and PDF output.
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPrintDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <vector>

#include "core/ReportStatements.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"
#include "views/PageScriptView.h"

namespace ml {
namespace {

QVariant Eval(ReportPopup& popup, const QString& expression) {
    QVariant result;
    bool done = false;
    popup.pageView()->EvaluatePageScript(expression, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 30000)) qWarning("no answer to %s", qPrintable(expression));
    return result;
}

// The text of every cell of the rows matched by `selector`, row by row.
QList<QStringList> Rows(ReportPopup& popup, const QString& selector) {
    const QString script = QStringLiteral(
                               "JSON.stringify(Array.from(document.querySelectorAll('%1')).map("
                               "r => Array.from(r.cells).map(c => c.textContent)))")
                               .arg(selector);
    const QJsonArray rows = QJsonDocument::fromJson(Eval(popup, script).toString().toUtf8()).array();
    QList<QStringList> out;
    for (const auto& row : rows) {
        QStringList cells;
        for (const auto& cell : row.toArray()) cells << cell.toString();
        out << cells;
    }
    return out;
}

ReportRow Row(bool ticked, int number, const char* use, const char* distance, const char* purpose) {
    ReportRow r;
    r.ticked = ticked;
    r.no = std::to_string(number);
    r.use = use;
    r.distance = distance;
    r.purpose = purpose;
    r.startTime = "2026-03-0" + std::to_string(number) + "_08:10:00";
    r.endTime = "2026-03-0" + std::to_string(number) + "_08:55:30";
    r.startAddress = "서울특별시 중구 세종대로 110";
    r.endAddress = number == 3 ? "No Data" : "경기도 성남시 분당구 판교역로 235";
    return r;
}

std::vector<ReportRow> SampleRows() {
    return {Row(true, 1, "출퇴근용", "10.500 Km", "출근"), Row(false, 2, "출퇴근용", "99.000 Km", ""),
            Row(true, 3, "일반업무용", "4.500 Km", "it's <b>"), Row(true, 4, "", "83.000 Km", "a\\b")};
}

ReportSettingTexts SampleSettings() {
    ReportSettingTexts s;
    s.businessYearStart = "2026-01-01";
    s.businessYearEnd = "2026-12-31";
    s.corporateName = "(주)마일레저";
    s.corporateNum = "123-45-67890";
    s.carName = "쏘나타";
    s.carNum = "12가3456";
    s.carMeterNum = "1000";
    s.employeePartName = "영업부";
    s.employeeName = "홍길동";
    s.employeeNum = "A-17";
    s.carMileage = "9.8";
    s.oilBill = "1459";
    return s;
}

}  // namespace

class ReportPageTest : public QObject {
    Q_OBJECT

private slots:
    void logReportTablesFromTheStatements() {
        CHtmlDlgTrackOutNew popup;
        QCOMPARE(popup.windowTitle(), QStringLiteral("운행기록부 - 미리보기"));
        QCOMPARE(popup.size(), QSize(700, 700));
        QCOMPARE(popup.printButton()->text(), QStringLiteral("인쇄"));
        QCOMPARE(popup.printButton()->geometry(), QRect(620, 650, 50, 30));
        const auto rows = SampleRows();
        popup.setSourceList([&] { return rows; });
        popup.setSettings(SampleSettings());
        popup.FillLogReport();  // before the page has loaded: kept and run
        popup.show();

        const auto head = Rows(popup, "#list_ctrl table.head tr");
        QCOMPARE(head.size(), 2);
        QCOMPARE(head[0], (QStringList{"사업연도", "2026-01-01 ~ 2026-12-31", "업무용승용차 운행기록부",
                                       "법\u00a0\u00a0\u00a0인\u00a0\u00a0\u00a0명", "(주)마일레저"}));
        QCOMPARE(head[1], (QStringList{"사업자등록번호", "123-45-67890"}));
        QCOMPARE(Rows(popup, "#list_ctrl table.car tr"),
                 (QList<QStringList>{{"차 종", "자동차등록번호"}, {"쏘나타", "12가3456"}}));

        const auto header = Rows(popup, "#list_ctrl table.list tr:nth-child(-n+3)");
        QCOMPARE(header.size(), 3);
        QCOMPARE(header[0], (QStringList{"사용일자", "사용자", "운행 내역"}));
        QCOMPARE(header[1], (QStringList{"부서", "성명", "주행 전계기판의 거리(Km)", "주행 후계기판의 거리(Km)",
                                         "주행거리", "업무용 사용거리(km)", "비고"}));
        QCOMPARE(header[2], (QStringList{"출.퇴근용(Km)", "일반 업무용(Km)"}));

        const auto trips = Rows(popup, "#list_ctrl tr.trip");
        QCOMPARE(trips.size(), 3);
        QCOMPARE(trips[0], (QStringList{"2026-03-01_08:10:00", "영업부", "홍길동", "1000.000000", "1010.500000",
                                        "10.500 Km", "10.500 Km", "", "출근"}));
        QCOMPARE(trips[1], (QStringList{"2026-03-03_08:10:00", "영업부", "홍길동", "1010.500000", "1015.000000",
                                        "4.500 Km", "", "4.500 Km", "it's <b>"}));
        QCOMPARE(trips[2][3], QStringLiteral("1015.000000"));
        QCOMPARE(trips[2][4], QStringLiteral("1098.000000"));
        QCOMPARE(trips[2][8], QStringLiteral("a\\b"));
        QCOMPARE(Eval(popup, "document.querySelectorAll('#list_ctrl b').length").toInt(), 0);

        QCOMPARE(Rows(popup, "#list_ctrl tr.total-head")[0],
                 (QStringList{"", "사업연도 총주행 거리(Km)", "사업연도 업무용 사용거리(Km)", "업무용 사용비율(%)"}));
        QCOMPARE(Rows(popup, "#list_ctrl tr.total")[0], (QStringList{"98.000000", "98.000000", "100"}));
        QCOMPARE(Eval(popup, "getComputedStyle(document.querySelector('table.car th')).backgroundColor")
                     .toString(),
                 QStringLiteral("rgb(146, 208, 80)"));
    }

    void logReportWithoutTickedRowsAndCancel() {
        CHtmlDlgTrackOutNew popup;
        std::vector<ReportRow> rows = {Row(false, 1, "", "3 Km", "")};
        popup.setSourceList([&] { return rows; });
        popup.FillLogReport();  // no settings yet: nothing happens
        QCOMPARE(Eval(popup, "document.getElementById('list_ctrl').innerHTML").toString(), QString());
        popup.setSettings(SampleSettings());
        popup.FillLogReport();
        QCOMPARE(Rows(popup, "#list_ctrl tr.trip").size(), 0);
        QCOMPARE(Rows(popup, "#list_ctrl tr.total")[0], (QStringList{"0", "0", "0"}));
        QCOMPARE(Rows(popup, "#list_ctrl table.list tr").size(), 5);
        popup.show();
        popup.Cancel();
        QVERIFY(!popup.isVisible());
        QCOMPARE(Eval(popup, "document.getElementById('list_ctrl').innerHTML").toString(), QString());
    }

    void refundReportTablesFromTheStatements() {
        CHtmlDlgTrackOutOld popup;
        QCOMPARE(popup.windowTitle(), QStringLiteral(" 차량운행기록 - 미리보기"));
        const auto rows = SampleRows();
        popup.setSourceList([&] { return rows; });
        popup.setSettings(SampleSettings());
        popup.FillRefundReport();
        popup.show();

        QCOMPARE(Eval(popup, "document.querySelector('h1').textContent").toString(),
                 QStringLiteral("차량 운행 기록(마일리지 환급 신청)"));
        QCOMPARE(Eval(popup, "document.title").toString(), QStringLiteral("MileLedger"));
        QCOMPARE(Rows(popup, "#list_ctrl table.name tr"),
                 (QList<QStringList>{{"사번 :", "A-17"}, {"이름 :", "홍길동"}}));
        QCOMPARE(Rows(popup, "#list_ctrl tr.header")[0],
                 (QStringList{"트랙", "구분", "시간", "위치", "운행(Km)", "운행목적/Comment"}));
        const auto starts = Rows(popup, "#list_ctrl tr.trip");
        const auto ends = Rows(popup, "#list_ctrl tr.trip-end");
        QCOMPARE(starts.size(), 3);
        QCOMPARE(ends.size(), 3);
        // Rows 1, 3 and 4 are ticked: they are numbered 1, 2, 3.
        QCOMPARE(starts[0], (QStringList{"1", "시작", "2026-03-01_08:10:00", "서울특별시 중구 세종대로 110",
                                         "10.500 Km", "출근"}));
        QCOMPARE(starts[1][0], QStringLiteral("2"));
        QCOMPARE(starts[1][5], QStringLiteral("it's <b>"));
        QCOMPARE(ends[1], (QStringList{"종료", "2026-03-03_08:55:30", "No Data"}));
        QCOMPARE(starts[2][0], QStringLiteral("3"));
        // 98 km at 9.8 km per litre is 10 litres at 1459 won.
        QCOMPARE(Rows(popup, "#list_ctrl table.total tr"),
                 (QList<QStringList>{{"총 주행거리(Km)", "98.00"},
                                     {"평균 연비(Km/L)", "9.80"},
                                     {"리터당 금액(KRW)", "1459"},
                                     {"청구금액(KRW)", "14590.00"}}));

        // Closing only hides it; the content stays until the next fill.
        popup.Cancel();
        QVERIFY(!popup.isVisible());
        QCOMPARE(Rows(popup, "#list_ctrl tr.trip").size(), 3);
        std::vector<ReportRow> none;
        popup.setSourceList([&] { return none; });
        popup.FillRefundReport();
        QCOMPARE(Rows(popup, "#list_ctrl tr.trip").size(), 0);
        QCOMPARE(Rows(popup, "#list_ctrl table.total tr")[3][1], QStringLiteral("0.00"));
    }

    void printButtonOpensThePrintDialogThroughThePage() {
        CHtmlDlgTrackOutOld popup;
        const auto rows = SampleRows();
        popup.setSourceList([&] { return rows; });
        popup.setSettings(SampleSettings());
        popup.FillRefundReport();
        popup.show();
        QCOMPARE(Rows(popup, "#list_ctrl tr.trip").size(), 3);
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
        popup.printButton()->click();
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

    void bothFormsSaveAsPdf() {
        QTemporaryDir dir;
        const auto rows = SampleRows();
        CHtmlDlgTrackOutNew log;
        CHtmlDlgTrackOutOld refund;
        for (ReportPopup* popup : {static_cast<ReportPopup*>(&log), static_cast<ReportPopup*>(&refund)}) {
            popup->setSourceList([&] { return rows; });
            popup->setSettings(SampleSettings());
        }
        log.FillLogReport();
        refund.FillRefundReport();
        int index = 0;
        for (ReportPopup* popup : {static_cast<ReportPopup*>(&log), static_cast<ReportPopup*>(&refund)}) {
            QSignalSpy saved(popup, &ReportPopup::pdfSaved);
            const QString path = dir.filePath(QStringLiteral("form%1.pdf").arg(index++));
            popup->savePdf(path);
            QVERIFY(saved.wait(30000));
            QCOMPARE(saved.at(0).at(1).toBool(), true);
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.read(5) == "%PDF-");
            QVERIFY(file.size() > 5000);
        }
    }
};

}  // namespace ml

QTEST_MAIN(ml::ReportPageTest)
#include "ReportPageTest.moc"
