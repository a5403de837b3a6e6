// ledger SUBCOMMAND ...: the year ledger. Routes to the subcommands, reads
// --ledger PATH wherever it stands, and parses each subcommand's options.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "store/ledger/CarSeed.h"
#include "store/ledger/LedgerLocation.h"
#include "tools/cli/LedgerCli.h"

namespace ml::cli {

namespace {

struct Subcommand {
    const char* name;
    int (*run)(LedgerCommand&);
    std::vector<std::string_view> valued;
    std::vector<std::string_view> flags;
    const char* usage;
};

const std::vector<Subcommand>& Subcommands() {
    static const std::vector<Subcommand> list = {
        {"car",
         RunLedgerCar,
         {"--kind", "--company", "--bizno", "--dept", "--name", "--form", "--year-start"},
         {},
         "ledger car [REGNO [--kind TEXT] [--company TEXT] [--bizno TEXT] [--dept TEXT] [--name TEXT] "
         "[--form 법인|개인] [--year-start MM-DD]]"},
        {"import",
         RunLedgerImport,
         {"--car", "--fixes", "--cut", "--download"},
         {},
         "ledger import (IMAGE.bin | FILE.dat | --fixes CSV | --download ID) --car REGNO [--cut S]"},
        {"read",
         RunLedgerRead,
         {"--port", "--car", "--cut", "--timeout"},
         {"--full"},
         "ledger read --port (PORT|auto) --car REGNO [--cut S] [--timeout SECONDS] [--full]"},
        {"trips",
         RunLedgerTrips,
         {"--car", "--from", "--to"},
         {},
         "ledger trips --car REGNO [--from YYYY-MM-DD] [--to YYYY-MM-DD]"},
        {"classify",
         RunLedgerClassify,
         {"--trip", "--use", "--purpose", "--note", "--driver"},
         {},
         "ledger classify --trip ID[,ID...] [--use USE] [--purpose TEXT] [--note TEXT] [--driver DEPT/NAME]"},
        {"odometer",
         RunLedgerOdometer,
         {"--car", "--at", "--km", "--note", "--remove"},
         {},
         "ledger odometer --car REGNO [--at \"YYYY-MM-DD HH:MM\" --km VALUE [--note TEXT] | --remove ID]"},
        {"report",
         RunLedgerReport,
         {"--car", "--year", "--from", "--to", "--form", "--out"},
         {},
         "ledger report --car REGNO (--year YYYY | --from D --to D) [--form log|refund] "
         "--out FILE.(html|xlsx|csv|gpx)"},
        {"summary", RunLedgerSummary, {"--year"}, {}, "ledger summary --year YYYY"},
        {"history", RunLedgerHistory, {"--car"}, {}, "ledger history --car REGNO"},
        {"migrate", RunLedgerMigrate, {}, {}, "ledger migrate"},
        {"grant",
         RunLedgerGrant,
         {"--role", "--car"},
         {"--all-cars", "--revoke"},
         "ledger grant --role NAME (--car REGNO ... | --all-cars) [--revoke]"},
        {"push", RunLedgerPush, {"--to", "--car"}, {}, "ledger push --to postgresql://... [--car REGNO]"},
    };
    return list;
}

int RunLedger(CliContext& context, const std::vector<std::string>& all) {
    std::vector<std::string> args;
    std::string location;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] != "--ledger") {
            args.push_back(all[i]);
        } else if (i + 1 < all.size()) {
            location = all[++i];
        } else {
            return LedgerUsage("", "--ledger needs a path or a postgresql:// URL");
        }
    }
    if (args.empty()) {
        std::fprintf(stderr, "usage: mileledger-cli ledger [--ledger PATH|URL] SUBCOMMAND ...\n");
        for (const Subcommand& s : Subcommands()) std::fprintf(stderr, "  %s\n", s.usage);
        return kExitUsage;
    }
    const auto& list = Subcommands();
    const auto found = std::find_if(list.begin(), list.end(), [&](const Subcommand& s) { return args[0] == s.name; });
    if (found == list.end()) return LedgerUsage("", "unknown subcommand '" + args[0] + "'");
    LedgerCommand command{context, location, {}};
    std::string error;
    args.erase(args.begin());
    if (!command.args.Parse(args, found->valued, found->flags, error)) {
        return LedgerUsage(found->name, error + "\nusage: mileledger-cli " + found->usage);
    }
    return found->run(command);
}

const CommandRegistration registration(
    "ledger",
    "ledger [--ledger PATH|URL] (car|import|read|trips|classify|odometer|report|summary|history|\n"
    "                 migrate|grant|push) ...\n"
    "                 the year ledger; `mileledger-cli ledger` lists the subcommands",
    RunLedger);

}  // namespace

bool LedgerArgs::Parse(const std::vector<std::string>& args, const std::vector<std::string_view>& valued,
                       const std::vector<std::string_view>& flags, std::string& error) {
    auto known = [](const std::vector<std::string_view>& names, const std::string& arg) {
        return std::find(names.begin(), names.end(), arg) != names.end();
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (known(valued, arg)) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            options_.push_back({arg, args[++i]});
        } else if (known(flags, arg)) {
            options_.push_back({arg, ""});
        } else if (arg.size() > 2 && arg.rfind("--", 0) == 0) {
            error = "unknown option " + arg;
            return false;
        } else {
            words_.push_back(arg);
        }
    }
    return true;
}

std::optional<std::string> LedgerArgs::Value(std::string_view name) const {
    std::optional<std::string> value;
    for (const auto& [key, v] : options_) {
        if (key == name) value = v;
    }
    return value;
}

std::vector<std::string> LedgerArgs::Values(std::string_view name) const {
    std::vector<std::string> values;
    for (const auto& [key, v] : options_) {
        if (key == name) values.push_back(v);
    }
    return values;
}

bool LedgerArgs::Has(std::string_view name) const { return Value(name).has_value(); }

std::unique_ptr<ledger::Ledger> LedgerCommand::Open(bool migrate) {
    std::unique_ptr<ledger::Ledger> opened;
    const std::string where = ledger::LedgerPath(location, LoadCliSettings(context, false).services.ledgerUrl);
    const ledger::Status status = ledger::OpenLedger(where, ledger::LedgerUser(), opened, migrate);
    if (!status.ok()) {
        LedgerFail(status);
        return nullptr;
    }
    return opened;
}

ledger::Car LedgerCommand::Seed(std::string_view regNo) {
    return ledger::SeedCar(LoadCliSettings(context, false).settings, regNo);
}

int LedgerCommand::OpenForPeriod(const std::string& regNo, std::unique_ptr<ledger::Ledger>& opened, ledger::Car& car,
                                 std::optional<ledger::Period>& period) {
    opened = Open();
    if (!opened) return kExitFailure;
    if (const auto s = opened->FindCar(regNo, car); !s.ok()) return LedgerFail(s);
    std::string error;
    return PeriodOf(args, car, period, error) ? 0 : Fail(error);
}

int LedgerUsage(std::string_view name, const std::string& message) {
    std::fprintf(stderr, "mileledger-cli: ledger%s%s: %s\n", name.empty() ? "" : " ", std::string(name).c_str(),
                 message.c_str());
    return kExitUsage;
}

int LedgerFail(const ledger::Status& status) { return Fail(status.message()); }

std::string Field(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return out;
}

bool PeriodOf(const LedgerArgs& args, const ledger::Car& car, std::optional<ledger::Period>& period,
              std::string& error) {
    const auto year = args.Value("--year"), from = args.Value("--from"), to = args.Value("--to");
    period.reset();
    if (year && (from || to)) {
        error = "--year and --from/--to cannot be given together";
        return false;
    }
    if (year) {
        const std::optional<ledger::CivilDate> start = ledger::ParseDate(*year + "-01-01");
        if (!start) {
            error = "bad year '" + *year + "' (YYYY)";
            return false;
        }
        period = ledger::BusinessYear(car.yearStart, start->year);
        return true;
    }
    if (!from && !to) return true;
    std::optional<ledger::CivilDate> first, last;
    for (const auto& [text, date] : {std::pair{from, &first}, std::pair{to, &last}}) {
        if (!text) continue;
        *date = ledger::ParseDate(*text);
        if (!*date) {
            error = "bad date '" + *text + "' (YYYY-MM-DD)";
            return false;
        }
    }
    constexpr int64_t kOpen = std::numeric_limits<int64_t>::max() / 2;
    period =
        ledger::Period{first ? ledger::FromCivil(*first) : -kOpen, last ? ledger::DayPeriod(*last, *last).to : kOpen};
    if (period->from >= period->to) {
        error = "the period ends before it starts";
        return false;
    }
    return true;
}

bool PrintOut(const std::string& text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) return true;
    Fail("cannot write to standard output");
    return false;
}

}  // namespace ml::cli
