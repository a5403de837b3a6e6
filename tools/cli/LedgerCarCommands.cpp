// ledger car, ledger summary, ledger history.
#include <cstdio>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "tools/cli/LedgerCli.h"

namespace ml::cli {

namespace {

std::string CarLine(const ledger::Car& car) {
    return Format("%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%d\t%.1f\n", Field(car.regNo).c_str(), Field(car.kind).c_str(),
                  Field(car.company).c_str(), Field(car.bizNo).c_str(), Field(car.dept).c_str(),
                  Field(car.name).c_str(), std::string(ledger::FormVariantText(car.form)).c_str(),
                  ledger::MonthDayText(car.yearStart).c_str(), car.cutSeconds, car.baseOdometerKm);
}

std::optional<std::string> Text(const LedgerArgs& args, const char* name) { return args.Value(name); }

}  // namespace

int RunLedgerCar(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    if (args.words().size() > 1) return LedgerUsage("car", "takes one REGNO");
    if (args.words().empty()) {
        if (command.args.Has("--kind") || args.Has("--company") || args.Has("--bizno") || args.Has("--dept") ||
            args.Has("--name") || args.Has("--form") || args.Has("--year-start")) {
            return LedgerUsage("car", "which car? give its REGNO");
        }
        auto opened = command.Open();
        if (!opened) return kExitFailure;
        std::vector<ledger::Car> cars;
        if (const auto s = opened->Cars(cars); !s.ok()) return LedgerFail(s);
        std::string out;
        for (const ledger::Car& car : cars) out += CarLine(car);
        return PrintOut(out) ? 0 : kExitFailure;
    }
    const std::string& regNo = args.words()[0];
    ledger::CarEdit edit;
    edit.kind = Text(args, "--kind");
    edit.company = Text(args, "--company");
    edit.bizNo = Text(args, "--bizno");
    edit.dept = Text(args, "--dept");
    edit.name = Text(args, "--name");
    if (const auto form = args.Value("--form")) {
        edit.form = ledger::ParseFormVariant(*form);
        if (!edit.form) return Fail("--form must be 법인 or 개인, not '" + *form + "'");
    }
    if (const auto start = args.Value("--year-start")) {
        edit.yearStart = ledger::ParseMonthDay(*start);
        if (!edit.yearStart) return Fail("bad --year-start '" + *start + "' (MM-DD)");
    }
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    ledger::Car saved;
    bool added = false;
    if (const auto s = opened->SaveCar(regNo, command.Seed(regNo), edit, saved, added); !s.ok()) return LedgerFail(s);
    if (added) std::fprintf(stderr, "mileledger-cli: car %s added\n", regNo.c_str());
    return PrintOut(CarLine(saved)) ? 0 : kExitFailure;
}

int RunLedgerSummary(LedgerCommand& command) {
    const auto year = command.args.Value("--year");
    if (!year || !command.args.words().empty()) return LedgerUsage("summary", "usage: ledger summary --year YYYY");
    const auto start = ledger::ParseDate(*year + "-01-01");
    if (!start) return Fail("bad year '" + *year + "' (YYYY)");
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    std::vector<ledger::CarTotals> totals;
    if (const auto s = opened->Summary(start->year, totals); !s.ok()) return LedgerFail(s);
    std::string out;
    for (const ledger::CarTotals& t : totals) {
        out += Format("%s\t%.1f\t%.1f\t%.1f\n", Field(t.car.regNo).c_str(), t.totals.totalKm, t.totals.businessKm,
                      t.totals.sharePercent);
    }
    return PrintOut(out) ? 0 : kExitFailure;
}

int RunLedgerHistory(LedgerCommand& command) {
    const auto car = command.args.Value("--car");
    if (!car || !command.args.words().empty()) return LedgerUsage("history", "usage: ledger history --car REGNO");
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    std::vector<ledger::HistoryEntry> entries;
    if (const auto s = opened->History(*car, entries); !s.ok()) return LedgerFail(s);
    std::string out;
    for (const ledger::HistoryEntry& e : entries) {
        const std::string trip = e.tripId != 0 ? Format("#%lld %s", static_cast<long long>(e.tripId),
                                                        ledger::SecondText(e.tripStart).c_str())
                                               : std::string();
        out += Format("%s\t%s\t%s\t%s\t%s\t%s\n", ledger::SecondText(e.at).c_str(), Field(e.field).c_str(),
                      trip.c_str(), Field(e.oldValue).c_str(), Field(e.newValue).c_str(), Field(e.by).c_str());
    }
    return PrintOut(out) ? 0 : kExitFailure;
}

}  // namespace ml::cli
