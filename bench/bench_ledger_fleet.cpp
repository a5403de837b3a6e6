// The company ledger on PostgreSQL: one client importing a year of one car
// (2 million fixes), then four clients at once, each a year of its own car,
// each on its own connection. The server is the benchmark's own, started in
// a temporary folder with production durability (fsync, synchronous commit).
#include <benchmark/benchmark.h>

#include <string>
#include <thread>
#include <vector>

#include "store/ledger/Ledger.h"
#include "tests/support/LedgerTestData.h"
#include "tests/support/PgTestServer.h"

namespace {

using namespace ml::ledger;

void BM_FleetImportYearPerCar(benchmark::State& state) {
    const int clients = static_cast<int>(state.range(0));
    std::string whyNot;
    ml::test::PgTestServer* server = ml::test::PgTestServer::Get(whyNot, true);
    if (server == nullptr) return state.SkipWithError(whyNot.c_str());
    ml::test::LedgerYearImage();
    for (auto _ : state) {
        state.PauseTiming();
        const std::string url = server->Url(server->NewDatabase());
        std::vector<std::unique_ptr<Ledger>> ledgers(static_cast<size_t>(clients));
        for (auto& ledger : ledgers) {
            if (!OpenLedger(url, "bench", ledger, true).ok()) return state.SkipWithError("open");
        }
        std::vector<Status> results(ledgers.size());
        state.ResumeTiming();
        std::vector<std::thread> threads;
        for (size_t i = 0; i < ledgers.size(); ++i) {
            threads.emplace_back([&, i] {
                ImportRequest request;
                request.source = "bench";
                request.raw = ml::test::LedgerYearImage();
                ImportResult result;
                results[i] = ledgers[i]->Import("11가" + std::to_string(1000 + i), Car{}, request, result);
            });
        }
        for (std::thread& t : threads) t.join();
        for (const Status& s : results) {
            if (!s.ok()) return state.SkipWithError(s.message().c_str());
        }
    }
    state.counters["fixes"] = 2e6 * clients;
}

}  // namespace

BENCHMARK(BM_FleetImportYearPerCar)->Arg(1)->Arg(4)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
