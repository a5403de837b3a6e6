// The year ledger on SQLite with a year of driving: 2,000 trips of 1,000
// fixes (2 million fixes) from one MTK memory image. Importing it into an
// empty ledger, importing it again (nothing new), and building the year's
// official log.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/ledger/LedgerCalendar.h"
#include "store/ledger/Ledger.h"
#include "tests/support/LedgerTestData.h"

namespace {

using namespace ml::ledger;

constexpr const char* kCar = "12가3456";

const std::vector<uint8_t>& YearImage() { return ml::test::LedgerYearImage(); }

std::string LedgerFile() { return "/tmp/mileledger-bench-" + std::to_string(::getpid()) + ".sqlite3"; }

void RemoveLedger(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path + suffix).c_str());
}

bool Import(Ledger& ledger, benchmark::State& state, ImportResult& result) {
    ImportRequest request;
    request.source = "bench";
    request.raw = YearImage();
    const Status s = ledger.Import(kCar, Car{}, request, result);
    if (!s.ok()) state.SkipWithError(s.message().c_str());
    return s.ok();
}

void BM_LedgerImportYear(benchmark::State& state) {
    const std::string path = LedgerFile();
    YearImage();
    for (auto _ : state) {
        state.PauseTiming();
        RemoveLedger(path);
        std::unique_ptr<Ledger> ledger;
        if (!OpenLedger(path, "bench", ledger).ok()) return state.SkipWithError("open");
        state.ResumeTiming();
        ImportResult result;
        if (!Import(*ledger, state, result)) break;
        state.counters["added"] = static_cast<double>(result.added);
        state.counters["trips"] = static_cast<double>(result.tripsRebuilt);
    }
    RemoveLedger(path);
}

// A ledger holding the year, in a fresh file.
std::unique_ptr<Ledger> FilledLedger(const std::string& path, benchmark::State& state) {
    RemoveLedger(path);
    std::unique_ptr<Ledger> ledger;
    ImportResult result;
    if (!OpenLedger(path, "bench", ledger).ok()) {
        state.SkipWithError("open");
        return nullptr;
    }
    return Import(*ledger, state, result) ? std::move(ledger) : nullptr;
}

void BM_LedgerReimportYear(benchmark::State& state) {
    const std::string path = LedgerFile();
    auto ledger = FilledLedger(path, state);
    if (!ledger) return;
    ImportResult result;
    for (auto _ : state) {
        if (!Import(*ledger, state, result)) break;
        state.counters["added"] = static_cast<double>(result.added);
    }
    ledger.reset();
    RemoveLedger(path);
}

void BM_LedgerYearLog(benchmark::State& state) {
    ::setenv("TZ", "Asia/Seoul", 1);
    ::tzset();
    const std::string path = LedgerFile();
    auto ledger = FilledLedger(path, state);
    if (!ledger) return;
    for (auto _ : state) {
        OfficialLog log;
        const Status s = ledger->Log(kCar, BusinessYear({1, 1}, 2026), log);
        if (!s.ok()) return state.SkipWithError(s.message().c_str());
        state.counters["rows"] = static_cast<double>(log.rows.size());
    }
    ledger.reset();
    RemoveLedger(path);
}

}  // namespace

BENCHMARK(BM_LedgerImportYear)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_LedgerReimportYear)->Unit(benchmark::kSecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_LedgerYearLog)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
