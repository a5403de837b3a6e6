// ledger trips, ledger classify, ledger odometer.
#include <cmath>
#include <cstdlib>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "tools/cli/LedgerCli.h"

namespace ml::cli {

namespace {

std::string TripLine(const ledger::Trip& trip, const ledger::Car& car) {
    const bool ownDriver = !trip.driverDept.empty() || !trip.driverName.empty();
    return Format("%lld\t%s\t%s\t%.3f\t%s\t%s\t%s\t%s\t%s\n", static_cast<long long>(trip.id),
                  ledger::SecondText(trip.startTime).c_str(), ledger::SecondText(trip.endTime).c_str(),
                  trip.distanceM / 1000.0, std::string(ledger::UseText(trip.use)).c_str(), Field(trip.purpose).c_str(),
                  Field(trip.note).c_str(), Field(ownDriver ? trip.driverDept : car.dept).c_str(),
                  Field(ownDriver ? trip.driverName : car.name).c_str());
}

std::string ReadingLine(const ledger::OdometerReading& r) {
    return Format("%lld\t%s\t%.1f\t%s\n", static_cast<long long>(r.id), ledger::MinuteText(r.time).c_str(), r.km,
                  Field(r.note).c_str());
}

bool ParseId(const std::string& text, int64_t& id) {
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || value <= 0) return false;
    id = value;
    return true;
}

}  // namespace

int RunLedgerTrips(LedgerCommand& command) {
    const auto car = command.args.Value("--car");
    if (!car || !command.args.words().empty()) {
        return LedgerUsage("trips", "usage: ledger trips --car REGNO [--from YYYY-MM-DD] [--to YYYY-MM-DD]");
    }
    std::unique_ptr<ledger::Ledger> opened;
    ledger::Car found;
    std::optional<ledger::Period> period;
    if (const int status = command.OpenForPeriod(*car, opened, found, period); status != 0) return status;
    std::vector<ledger::Trip> trips;
    if (const auto s = opened->Trips(*car, period, trips); !s.ok()) return LedgerFail(s);
    std::string out;
    for (const ledger::Trip& trip : trips) out += TripLine(trip, found);
    return PrintOut(out) ? 0 : kExitFailure;
}

int RunLedgerClassify(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    std::vector<int64_t> ids;
    for (const std::string& list : args.Values("--trip")) {
        size_t start = 0;
        while (start <= list.size()) {
            const size_t comma = std::min(list.find(',', start), list.size());
            int64_t id = 0;
            if (!ParseId(list.substr(start, comma - start), id)) return Fail("bad trip id in '" + list + "'");
            ids.push_back(id);
            start = comma + 1;
        }
    }
    if (ids.empty() || !args.words().empty()) {
        return LedgerUsage("classify",
                           "usage: ledger classify --trip ID[,ID...] [--use USE] [--purpose TEXT] "
                           "[--note TEXT] [--driver DEPT/NAME]");
    }
    ledger::TripEdit edit;
    if (const auto use = args.Value("--use")) {
        edit.use = ledger::ParseUse(*use);
        if (!edit.use) return Fail("--use must be 출퇴근용, 일반업무용, 비업무용 or \"\", not '" + *use + "'");
    }
    edit.purpose = args.Value("--purpose");
    edit.note = args.Value("--note");
    if (const auto driver = args.Value("--driver")) {
        const size_t slash = driver->find('/');
        if (slash == std::string::npos && !driver->empty())
            return Fail("--driver needs DEPT/NAME, not '" + *driver + "'");
        edit.driverDept = slash == std::string::npos ? std::string() : driver->substr(0, slash);
        edit.driverName = slash == std::string::npos ? std::string() : driver->substr(slash + 1);
    }
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    if (const auto s = opened->Classify(ids, edit); !s.ok()) return LedgerFail(s);
    return 0;
}

int RunLedgerOdometer(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    const auto car = args.Value("--car");
    const auto at = args.Value("--at");
    const auto km = args.Value("--km");
    const auto remove = args.Value("--remove");
    const bool adding = at || km || args.Has("--note");
    if (!car || !args.words().empty() || (adding && (!at || !km)) || (adding && remove)) {
        return LedgerUsage("odometer",
                           "usage: ledger odometer --car REGNO [--at \"YYYY-MM-DD HH:MM\" --km VALUE "
                           "[--note TEXT] | --remove ID]");
    }
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    if (remove) {
        int64_t id = 0;
        if (!ParseId(*remove, id)) return Fail("bad reading id '" + *remove + "'");
        const auto s = opened->RemoveReading(*car, id);
        return s.ok() ? 0 : LedgerFail(s);
    }
    if (adding) {
        const auto time = ledger::ParseDateTime(*at);
        if (!time) return Fail("bad time '" + *at + "' (YYYY-MM-DD HH:MM)");
        char* end = nullptr;
        const double value = std::strtod(km->c_str(), &end);
        if (end == km->c_str() || *end != '\0' || !std::isfinite(value) || value < 0) {
            return Fail("bad --km '" + *km + "'");
        }
        ledger::OdometerReading added;
        if (const auto s = opened->AddReading(*car, *time, value, args.Value("--note").value_or(""), added); !s.ok()) {
            return LedgerFail(s);
        }
        return PrintOut(ReadingLine(added)) ? 0 : kExitFailure;
    }
    std::vector<ledger::OdometerReading> readings;
    if (const auto s = opened->Readings(*car, readings); !s.ok()) return LedgerFail(s);
    std::string out;
    for (const ledger::OdometerReading& r : readings) out += ReadingLine(r);
    return PrintOut(out) ? 0 : kExitFailure;
}

}  // namespace ml::cli
