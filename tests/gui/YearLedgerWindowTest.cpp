// The 연간 운행기록 window over a ledger file the test makes. Rules over a
// selection are the walk-through's.
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "store/ledger/Ledger.h"
#include "tests/gui/FakePrompts.h"
#include "tests/support/LedgerTestData.h"
#include "tests/support/TestSupport.h"
#include "views/CHtmlDlgTrackOutNew.h"
#include "views/LedgerHistoryModel.h"
#include "views/OdometerDialog.h"
#include "views/YearFilterModel.h"
#include "views/YearLedgerWindow.h"
#include "views/YearTableModel.h"

using namespace ml;

namespace {

constexpr const char* kCar = "12가3456";

// The office days: four trips in March and one in April, every one unclassified.
struct YearWindow {
    YearWindow() {
        ledger::Status s = ledger::OpenLedger(dir.File("ledger.sqlite3"), "tester", ledger);
        ledger::ImportRequest request;
        request.kind = ledger::DownloadKind::FixCsv;
        request.raw = test::LedgerCsv(test::OfficeDays());
        ledger::ImportResult result;
        if (s.ok()) s = ledger->Import(kCar, ledger::Car{}, request, result);
        if (!s.ok()) qFatal("%s", s.message().c_str());
        YearWindowOptions options;
        options.ledger = ledger.get();
        options.prompts = &prompts;
        options.settings = [] {
            Settings settings = DefaultSettings();
            settings.carMileage = "12";
            settings.oilBill = "1800";
            return settings;
        };
        options.showMap = false;
        window = std::make_unique<YearLedgerWindow>(options);
        window->RefreshCars(kCar);
    }
    QString Cell(int row, int column) const { return window->filterModel()->index(row, column).data().toString(); }
    int Kind(int row) const { return window->filterModel()->index(row, 0).data(YearTableModel::KindRole).toInt(); }
    void Settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    std::vector<ledger::Trip> Trips() {
        std::vector<ledger::Trip> trips;
        ledger->Trips(kCar, std::nullopt, trips);
        return trips;
    }

    test::ScopedTimeZone zone{"Asia/Seoul"};
    test::TempDir dir;
    test::FakePrompts prompts;
    std::unique_ptr<ledger::Ledger> ledger;
    std::unique_ptr<YearLedgerWindow> window;
};

}  // namespace

class YearLedgerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void theYearShownPrintedSavedEditedReadAndFiltered() {
        YearWindow w;
        QCOMPARE(w.window->year(), 2026);
        // The rows themselves are the ledger's (LedgerRulesTest); here, what the table shows of them.
        const int trip = int(ledger::LogRow::Kind::Trip), month = int(ledger::LogRow::Kind::MonthTotal);
        QList<int> kinds;
        for (int r = 0; r < w.window->filterModel()->rowCount(); ++r) kinds << w.Kind(r);
        QCOMPARE(kinds, (QList<int>{trip, trip, trip, trip, month, trip, month}));
        QCOMPARE(w.Cell(1, YearTableModel::kDate), QString("2026-03-02(월)"));
        QCOMPARE(w.Cell(1, YearTableModel::kStart), QString("12:00"));
        QCOMPARE(w.Cell(1, YearTableModel::kUse), QString("미분류"));
        QCOMPARE(w.Cell(6, YearTableModel::kDate), QString("2026-04 소계"));
        QCOMPARE(w.Cell(6, YearTableModel::kStart) + w.Cell(6, YearTableModel::kUse), QString());
        QVERIFY2(w.window->footerText().endsWith("⑬ 업무사용비율 0.0 %    분류되지 않은 주행 5건"),
                 qPrintable(w.window->footerText()));

        // Printing a year with unclassified trips asks first.
        w.prompts.answers = {QMessageBox::No};
        w.window->ShowLogReport();
        QCOMPARE(w.prompts.questions.value(0), QString("분류되지 않은 주행이 5건 있습니다. 그래도 인쇄하시겠습니까?"));
        QVERIFY(!w.window->logPopup()->isVisible());
        w.prompts.answers = {QMessageBox::Yes};
        w.window->ShowLogReport();
        QVERIFY(w.window->logPopup()->isVisible());
        w.window->logPopup()->Cancel();
        // The year saved for spreadsheets and map tools.
        struct Case {
            bool (YearLedgerWindow::*save)();
            const char* typed;    // as typed into the file dialog
            const char* written;  // the extension added where missing
            QByteArray head;
        };
        const Case cases[] = {{&YearLedgerWindow::SaveCsv, "year", "year.csv", "\xEF\xBB\xBF"},
                              {&YearLedgerWindow::SaveXlsx, "year.xlsx", "year.xlsx", "PK"},
                              {&YearLedgerWindow::SaveGpx, "year", "year.gpx", "<?xml"}};
        for (const Case& c : cases) {
            w.prompts.files = {QString::fromStdString(w.dir.File(c.typed))};
            QVERIFY((w.window.get()->*c.save)());
            QFile file(QString::fromStdString(w.dir.File(c.written)));
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            QVERIFY(file.readAll().startsWith(c.head));
        }
        // An edit changes the subtotals, the footer and the history.
        const QString before = w.Cell(4, YearTableModel::kDistance);
        QVERIFY(w.window->filterModel()->setData(w.window->filterModel()->index(0, YearTableModel::kUse), "출퇴근용"));
        w.Settle();
        QCOMPARE(w.Cell(0, YearTableModel::kUse), QString("출퇴근용"));
        QVERIFY2(w.Cell(4, YearTableModel::kPurpose).startsWith("출퇴근용 " + w.Cell(0, YearTableModel::kDistance)),
                 qPrintable(w.Cell(4, YearTableModel::kPurpose)));
        QCOMPARE(w.Cell(4, YearTableModel::kDistance), before);
        QVERIFY(w.window->footerText().contains("분류되지 않은 주행 4건"));
        QVERIFY(!w.window->footerText().contains("⑫ 업무용 사용거리 0.0 km"));
        const QModelIndex newest = w.window->historyModel()->index(0, LedgerHistoryModel::kField);
        QCOMPARE(newest.data().toString(), QString("사용용도"));
        QCOMPARE(newest.siblingAtColumn(LedgerHistoryModel::kNew).data().toString(), QString("출퇴근용"));
        // An odometer reading far above the chain: the driving between becomes a row of its own.
        OdometerDialog dialog(*w.ledger, w.prompts, kCar);
        QObject::connect(&dialog, &OdometerDialog::readingsChanged, w.window.get(), &YearLedgerWindow::Reload);
        dialog.timeEdit()->setDateTime(QDateTime(QDate(2026, 3, 20), QTime(9, 0)));
        dialog.kmEdit()->setText("1,000");
        dialog.addButton()->click();
        QCOMPARE(dialog.list()->rowCount(), 1);
        QCOMPARE(w.Kind(4), int(ledger::LogRow::Kind::Unrecorded));
        QCOMPARE(w.Cell(4, YearTableModel::kNote), QString("기록되지 않은 주행"));

        dialog.list()->selectRow(0);
        w.prompts.questions.clear();
        w.prompts.answers = {QMessageBox::No, QMessageBox::Yes};
        dialog.removeButton()->click();
        QCOMPARE(dialog.list()->rowCount(), 1);
        dialog.removeButton()->click();
        QCOMPARE(dialog.list()->rowCount(), 0);
        QCOMPARE(w.prompts.questions.size(), 2);
        QCOMPARE(w.Kind(4), int(ledger::LogRow::Kind::MonthTotal));
        // The filter narrows to a month.
        YearFilter april;
        april.kind = YearFilter::Kind::Month;
        april.month = "2026-04";
        w.window->SetFilter(april);
        QCOMPARE(w.window->filterModel()->rowCount(), 2);
    }

    void aSelectionIsClassifiedInOneStepAndUndone() {
        YearWindow w;
        YearFilter unclassified;
        unclassified.kind = YearFilter::Kind::Unclassified;
        w.window->SetFilter(unclassified);
        w.window->SelectAllShown();
        QCOMPARE(w.window->SelectedTripIds().size(), size_t(5));
        w.window->bulkUse()->setCurrentText("일반업무용");
        w.window->bulkPurpose()->setText("현장 점검");
        QVERIFY(w.window->ApplyPanelToSelection());
        w.Settle();
        for (const auto& t : w.Trips()) QCOMPARE(t.purpose, std::string("현장 점검"));
        QVERIFY(w.window->footerText().contains("⑬ 업무사용비율 100.0 %"));

        w.window->show();
        w.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        QTest::keyClick(w.window.get(), Qt::Key_Z, Qt::ControlModifier);
        w.Settle();
        for (const auto& t : w.Trips()) QCOMPARE(int(t.use), int(ledger::Use::Unclassified));
        QCOMPARE(w.window->historyModel()->index(0, LedgerHistoryModel::kBy).data().toString(),
                 QString("tester (되돌리기)"));
        QVERIFY(!w.window->canUndo());
    }
};

QTEST_MAIN(YearLedgerWindowTest)
#include "YearLedgerWindowTest.moc"
