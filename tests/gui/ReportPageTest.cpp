// The two forms in the real web engine: the tables the fill statements build,
// read back from the page's DOM, the popups' cancel, and PDF output.
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVariant>
#include <vector>

#include "core/ReportStatements.h"
#include "core/TextFormat.h"
#include "tests/gui/GuiTestData.h"
#include "tests/gui/PageEval.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/CHtmlDlgTrackOutOld.h"

namespace ml {
namespace {

QVariant Eval(ReportPopup& popup, const QString& expression) { return test::Eval(popup.pageView(), expression); }

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

Settings SampleSettings() {
    Settings s;
    s.businessYearStart = "2026-01-01";
    s.businessYearEnd = "2026-12-31";
    s.corporateName = "(주)마일레저";
    s.corporateNum = "123-45-67890";
    s.carName = "쏘나타";
    s.carNum = "12가3456";
    s.carMaterNum = "1000";
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
    // Where the page puts what the statements carry (their figures are
    // tested with the statements): the log's tables, escaping, the page
    // number, and a Cancel that empties it.
    void logReportTablesFromTheStatements() {
        CHtmlDlgTrackOutNew popup;
        QCOMPARE(popup.windowTitle(), QStringLiteral("운행기록부 - 미리보기"));
        QCOMPARE(popup.size(), QSize(740, 760));
        QCOMPARE(popup.findChild<QPushButton*>("printButton")->geometry(), QRect(660, 710, 50, 30));
        const auto rows = SampleRows();
        popup.setSourceList([&] { return rows; });
        popup.FillLogReport();  // no settings yet: nothing happens
        QCOMPARE(Eval(popup, "document.getElementById('list_ctrl').innerHTML").toString(), QString());
        popup.setSettings(SampleSettings());
        popup.FillLogReport();  // before the page has loaded: kept and run
        popup.show();

        const auto head = Rows(popup, "#list_ctrl table.head tr");
        QCOMPARE(head.size(), 2);
        QCOMPARE(head[0], (QStringList{"사업연도", "2026-01-01 ~ 2026-12-31", "업무용승용차 운행기록부",
                                       "법\u00a0\u00a0\u00a0인\u00a0\u00a0\u00a0명", "(주)마일레저"}));
        QCOMPARE(Rows(popup, "#list_ctrl table.car tr"),
                 (QList<QStringList>{{"차 종", "자동차등록번호"}, {"쏘나타", "12가3456"}}));
        const auto header = Rows(popup, "#list_ctrl table.list thead tr");
        QCOMPARE(header.size(), 3);
        QCOMPARE(header[1], (QStringList{"부서", "성명", "주행 전계기판의 거리(Km)", "주행 후계기판의 거리(Km)",
                                         "주행거리", "업무용 사용거리(km)", "비고"}));
        const auto trips = Rows(popup, "#list_ctrl tr.trip");
        QCOMPARE(trips.size(), 3);
        QCOMPARE(trips[1], (QStringList{"2026-03-03(화)08:10", "영업부", "홍길동", "1,010.5", "1,015.0", "4.5", "",
                                        "4.5", "it's <b>"}));
        QCOMPARE(trips[2][8], QStringLiteral("a\\b"));
        QCOMPARE(Eval(popup, "document.querySelectorAll('#list_ctrl b').length").toInt(), 0);
        // The day and its time stay on their two lines.
        QVERIFY(Eval(popup, "document.querySelector('td.day').getClientRects()[0].height < 40").toBool());
        QCOMPARE(Eval(popup, "document.querySelector('.sheet .page-no').textContent").toString(),
                 QStringLiteral("쪽 1 / 1"));
        QCOMPARE(Rows(popup, "#list_ctrl tr.total")[0], (QStringList{"98.0", "98.0", "100.0"}));
        QCOMPARE(Eval(popup, "getComputedStyle(document.querySelector('table.car th')).backgroundColor").toString(),
                 QStringLiteral("rgb(146, 208, 80)"));
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
        QCOMPARE(Rows(popup, "#list_ctrl table.name tr"),
                 (QList<QStringList>{{"사번 :", "A-17"}, {"이름 :", "홍길동"}}));
        QCOMPARE(Rows(popup, "#list_ctrl table.head tr"),
                 (QList<QStringList>{{"법인명", "(주)마일레저", "자동차등록번호", "12가3456"},
                                     {"기간", "2026-03-01 ~ 2026-03-04", "부서", "영업부"}}));
        QCOMPARE(Rows(popup, "#list_ctrl tr.header")[0],
                 (QStringList{"트랙", "구분", "시간", "위치", "운행(Km)", "사용용도", "운행목적/Comment"}));
        // The whole table fits the preview: nothing to scroll sideways.
        QVERIFY(Eval(popup, "document.documentElement.scrollWidth <= window.innerWidth").toBool());
        const auto starts = Rows(popup, "#list_ctrl tr.trip");
        QCOMPARE(starts.size(), 3);
        QCOMPARE(starts[0], (QStringList{"1", "시작", "2026-03-01(일) 08:10", "서울특별시 중구 세종대로 110", "10.5",
                                         "출퇴근용", "출근"}));
        QCOMPARE(Rows(popup, "#list_ctrl tr.trip-end")[1], (QStringList{"종료", "2026-03-03(화) 08:55", "No Data"}));
        QCOMPARE(Rows(popup, "#list_ctrl table.total tr")[3], (QStringList{"청구금액(KRW)", "14,590원"}));
        // Closing only hides it; the content stays until the next fill.
        popup.Cancel();
        QVERIFY(!popup.isVisible());
        QCOMPARE(Rows(popup, "#list_ctrl tr.trip").size(), 3);
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
        popup.Print();
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
