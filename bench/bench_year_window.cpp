// The 연간 운행기록 window over a year of 2,000 trips: opening it (the
// year's log read, the table, footer and history filled, the window shown)
// and classifying while it is open (200 selected trips in one step, and one
// cell), each change followed by the table read again as the window does.
// Runs on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "store/ledger/Ledger.h"
#include "tests/gui/FakePrompts.h"
#include "tests/support/LedgerTestData.h"
#include "views/YearFilterModel.h"
#include "views/YearLedgerWindow.h"
#include "views/YearTableModel.h"

namespace {

using namespace ml;

constexpr int kTrips = 2000;
constexpr int32_t kYearStart = 1767193200;  // 2026-01-01 00:00 in Seoul
constexpr const char* kCar = "12가3456";

struct Year {
    Year() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The forms' web views: no sandbox (benchmarks may run as root), no GPU.
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
        setenv("TZ", "Asia/Seoul", 1);
        static int argc = 1;
        static char name[] = "bench_year_window";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        path = "/tmp/mileledger-bench-year-" + std::to_string(::getpid()) + ".sqlite3";
        FixList fixes;
        for (int t = 0; t < kTrips; ++t) {
            const FixList drive = test::LedgerDrive(kYearStart + t * 15600, 120);
            fixes.insert(fixes.end(), drive.begin(), drive.end());
        }
        ledger::ImportRequest request;
        request.raw = test::LedgerImage(fixes);
        ledger::ImportResult result;
        if (!ledger::OpenLedger(path, "bench", ledger).ok() ||
            !ledger->Import(kCar, ledger::Car{}, request, result).ok()) {
            std::fprintf(stderr, "cannot make the ledger\n");
            std::abort();
        }
    }
    ~Year() {
        ledger.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
    }
    std::unique_ptr<YearLedgerWindow> Open() {
        YearWindowOptions options;
        options.ledger = ledger.get();
        options.prompts = &prompts;
        options.showMap = false;
        auto window = std::make_unique<YearLedgerWindow>(options);
        window->RefreshCars(kCar);
        window->show();
        QCoreApplication::processEvents();
        return window;
    }

    std::unique_ptr<QApplication> app;
    std::string path;
    std::unique_ptr<ledger::Ledger> ledger;
    test::FakePrompts prompts;
};

Year& TheYear() {
    static Year year;
    return year;
}

void BM_OpenYearWindow(benchmark::State& state) {
    Year& year = TheYear();
    for (auto _ : state) {
        auto window = year.Open();
        benchmark::DoNotOptimize(window->model()->rowCount());
    }
    state.counters["rows"] = double(year.Open()->model()->rowCount());
}
BENCHMARK(BM_OpenYearWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ClassifySelection(benchmark::State& state) {
    Year& year = TheYear();
    auto window = year.Open();
    QItemSelection rows;
    rows.select(window->filterModel()->index(100, 0), window->filterModel()->index(310, 0));
    window->table()->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    bool business = false;
    for (auto _ : state) {
        ledger::TripEdit edit;
        edit.use = (business = !business) ? ledger::Use::Business : ledger::Use::Commute;
        window->ApplyToSelection(edit);
        QCoreApplication::processEvents();  // the table read again
    }
    state.counters["trips"] = double(window->SelectedTripIds().size());
}
BENCHMARK(BM_ClassifySelection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_EditOneCell(benchmark::State& state) {
    Year& year = TheYear();
    auto window = year.Open();
    const QModelIndex cell = window->filterModel()->index(500, YearTableModel::kPurpose);
    int n = 0;
    for (auto _ : state) {
        window->filterModel()->setData(cell, QString::number(++n));
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_EditOneCell)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace
