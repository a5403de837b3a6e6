// Classifying trips: edits by hand (one or many, and their undo), the shared
// classification rules, and the rules run over imported trips.
#include <ctime>
#include <set>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "store/ledger/Ledger.h"
#include "store/ledger/LedgerTxSteps.h"

namespace ml::ledger {

namespace {

std::string DriverText(const std::string& dept, const std::string& name) {
    return dept.empty() && name.empty() ? std::string() : dept + "/" + name;
}

// True when the trip's fields named in `expect` hold those values.
bool Holds(const Trip& trip, const TripEdit& expect) {
    if (expect.use && *expect.use != trip.use) return false;
    if (expect.purpose && *expect.purpose != trip.purpose) return false;
    if (expect.note && *expect.note != trip.note) return false;
    if ((expect.driverDept || expect.driverName) &&
        (expect.driverDept.value_or("") != trip.driverDept || expect.driverName.value_or("") != trip.driverName)) {
        return false;
    }
    return true;
}

// The author of a change a rule made: who ran it, and which rule decided.
std::string RuleAuthor(const std::string& by, size_t index, const ClassifyRule& rule) {
    return Format("%s (규칙 %zu: %s)", by.c_str(), index + 1, RuleText(rule).c_str());
}

TripChange RuleChange(const Trip& trip, const RuleOutcome& outcome) {
    TripChange change{trip.id, {}, std::nullopt};
    change.edit.use = outcome.use;
    change.edit.purpose = outcome.purpose;
    return change;
}

}  // namespace

Status ClassifyInTx(LedgerTx& tx, std::span<const TripChange> changes, const std::string& author, int64_t now,
                    ClassifyResult& result) {
    for (const TripChange& change : changes) {
        std::optional<Trip> found;
        ML_LEDGER_TRY(tx.GetTrip(change.tripId, found));
        if (!found) return Status::Invalid(Format("주행 #%lld이(가) 없습니다", static_cast<long long>(change.tripId)));
        if (change.expect && !Holds(*found, *change.expect)) {
            return Status::Invalid(
                Format("주행 #%lld이(가) 그 사이에 바뀌었습니다", static_cast<long long>(change.tripId)));
        }
        Trip trip = *found;
        const TripEdit& edit = change.edit;
        std::vector<HistoryEntry> entries;
        TripChange undo{trip.id, {}, TripEdit{}};
        auto record = [&](const char* field, const std::string& oldValue, const std::string& newValue) {
            if (oldValue == newValue) return false;
            entries.push_back({0, trip.carId, now, trip.id, trip.startTime, field, oldValue, newValue, author});
            return true;
        };
        if (edit.use && record("use", std::string(UseText(trip.use)), std::string(UseText(*edit.use)))) {
            undo.edit.use = trip.use;
            undo.expect->use = trip.use = *edit.use;
        }
        if (edit.purpose && record("purpose", trip.purpose, *edit.purpose)) {
            undo.edit.purpose = trip.purpose;
            undo.expect->purpose = trip.purpose = *edit.purpose;
        }
        if (edit.note && record("note", trip.note, *edit.note)) {
            undo.edit.note = trip.note;
            undo.expect->note = trip.note = *edit.note;
        }
        if (edit.driverDept || edit.driverName) {
            const std::string dept = edit.driverDept.value_or(""), name = edit.driverName.value_or("");
            if (record("driver", DriverText(trip.driverDept, trip.driverName), DriverText(dept, name))) {
                undo.edit.driverDept = trip.driverDept;
                undo.edit.driverName = trip.driverName;
                undo.expect->driverDept = trip.driverDept = dept;
                undo.expect->driverName = trip.driverName = name;
            }
        }
        if (entries.empty()) continue;
        ML_LEDGER_TRY(tx.UpdateTrip(trip));
        for (HistoryEntry& e : entries) ML_LEDGER_TRY(tx.AddHistory(e));
        ++result.changedTrips;
        result.undo.push_back(std::move(undo));
    }
    return Status::Ok();
}

Status LoadRules(LedgerTx& tx, RuleSet& rules, int64_t& revision) {
    std::optional<SharedValue> stored;
    ML_LEDGER_TRY(tx.GetShared(kRulesKey, stored));
    rules = RuleSet{};
    revision = 0;
    if (!stored) return Status::Ok();
    std::string error;
    if (!ParseRuleSet(stored->text, rules, error)) return Status::Refused(error);
    revision = stored->revision;
    return Status::Ok();
}

Status PlacesOfCar(LedgerTx& tx, const Car& car, std::vector<NamedPlace>& places, std::string& problem) {
    RuleSet rules;
    int64_t revision = 0;
    const Status s = LoadRules(tx, rules, revision);
    if (s.code() == Status::Code::Refused) {
        problem = s.message();
        places.clear();
        return Status::Ok();
    }
    ML_LEDGER_TRY(s);
    places = PlacesForCar(rules, car.regNo);
    return Status::Ok();
}

Status ClassifyImportedTrips(LedgerTx& tx, const Car& car, int64_t from, int64_t to, int64_t now, const std::string& by,
                             int64_t& classified, std::vector<std::string>& warnings) {
    RuleSet rules;
    int64_t revision = 0;
    const Status loaded = LoadRules(tx, rules, revision);
    if (loaded.code() == Status::Code::Refused) {
        warnings.push_back(loaded.message());
        return Status::Ok();
    }
    ML_LEDGER_TRY(loaded);
    if (rules.rules.empty()) return Status::Ok();
    std::vector<Trip> trips;
    ML_LEDGER_TRY(tx.TripsOverlapping(car.id, from, to, trips));
    // A trip whose use someone set or took back keeps what they decided.
    std::vector<HistoryEntry> history;
    ML_LEDGER_TRY(tx.History(car.id, history));
    std::set<int64_t> decided;
    for (const HistoryEntry& h : history) {
        if (h.field == "use" && h.tripId != 0) decided.insert(h.tripId);
    }
    const std::vector<NamedPlace> places = PlacesForCar(rules, car.regNo);
    for (const Trip& trip : trips) {
        if (decided.count(trip.id) != 0) continue;
        const auto outcome = ClassifyByRules(rules, places, trip);
        if (!outcome) continue;
        const TripChange change = RuleChange(trip, *outcome);
        ClassifyResult result;
        const size_t index = outcome->match.rule;
        ML_LEDGER_TRY(ClassifyInTx(tx, {&change, 1}, RuleAuthor(by, index, rules.rules[index]), now, result));
        classified += result.changedTrips;
    }
    return Status::Ok();
}

Status Ledger::Classify(std::span<const int64_t> tripIds, const TripEdit& edit) {
    ClassifyResult result;
    return Classify(tripIds, edit, result);
}

Status Ledger::Classify(std::span<const int64_t> tripIds, const TripEdit& edit, ClassifyResult& result) {
    std::vector<TripChange> changes;
    for (const int64_t id : tripIds) changes.push_back({id, edit, std::nullopt});
    return ClassifyEach(changes, {}, result);
}

Status Ledger::ClassifyEach(std::span<const TripChange> changes, std::string_view why, ClassifyResult& result) {
    if (changes.empty()) return Status::Invalid("주행 번호가 없습니다");
    const std::string author = why.empty() ? by_ : by_ + " (" + std::string(why) + ")";
    return store().Run([&](LedgerTx& tx) {
        result = ClassifyResult{};
        return ClassifyInTx(tx, changes, author, std::time(nullptr), result);
    });
}

Status Ledger::ClassifyTripStartingAt(std::string_view regNo, int64_t startTime, const TripEdit& edit) {
    return WithCar(regNo, Access::Write, [&](LedgerTx& tx, const Car& car) {
        std::vector<Trip> trips;
        ML_LEDGER_TRY(tx.TripsOverlapping(car.id, startTime, startTime, trips));
        for (const Trip& trip : trips) {
            if (trip.startTime != startTime) continue;
            const TripChange change{trip.id, edit, std::nullopt};
            ClassifyResult result;
            return ClassifyInTx(tx, {&change, 1}, by_, std::time(nullptr), result);
        }
        return Status::Invalid(
            Format("%s의 원장에 %s에 시작하는 주행이 없습니다", car.regNo.c_str(), MinuteText(startTime).c_str()));
    });
}

Status Ledger::Rules(RuleSet& rules, int64_t& revision) {
    return store().Run([&](LedgerTx& tx) { return LoadRules(tx, rules, revision); }, Access::Read);
}

Status Ledger::SaveRules(const RuleSet& rules, int64_t& revision) {
    if (const std::string problem = CheckRuleSet(rules); !problem.empty()) return Status::Invalid(problem);
    return store().Run([&](LedgerTx& tx) {
        std::optional<SharedValue> stored;
        ML_LEDGER_TRY(tx.GetShared(kRulesKey, stored));
        const int64_t current = stored ? stored->revision : 0;
        if (current != revision) {
            return Status::Invalid("다른 곳에서 분류 규칙을 먼저 저장했습니다. 다시 열어 고치십시오");
        }
        ML_LEDGER_TRY(tx.PutShared(kRulesKey, SharedValue{current + 1, RuleSetText(rules)}));
        revision = current + 1;
        return Status::Ok();
    });
}

Status Ledger::ApplyRules(std::string_view regNo, std::span<const int64_t> tripIds, ClassifyResult& result) {
    return WithCar(regNo, Access::Write, [&](LedgerTx& tx, const Car& car) {
        result = ClassifyResult{};
        RuleSet rules;
        int64_t revision = 0;
        ML_LEDGER_TRY(LoadRules(tx, rules, revision));
        const std::vector<NamedPlace> places = PlacesForCar(rules, car.regNo);
        const int64_t now = std::time(nullptr);
        for (const int64_t id : tripIds) {
            std::optional<Trip> trip;
            ML_LEDGER_TRY(tx.GetTrip(id, trip));
            if (!trip || trip->carId != car.id) {
                return Status::Invalid(
                    Format("%s에는 주행 #%lld이(가) 없습니다", car.regNo.c_str(), static_cast<long long>(id)));
            }
            const auto outcome = ClassifyByRules(rules, places, *trip);
            if (!outcome) continue;
            const TripChange change = RuleChange(*trip, *outcome);
            const size_t index = outcome->match.rule;
            ML_LEDGER_TRY(ClassifyInTx(tx, {&change, 1}, RuleAuthor(by_, index, rules.rules[index]), now, result));
        }
        return Status::Ok();
    });
}

Status Ledger::TripFixes(std::span<const int64_t> tripIds, std::vector<TripWithFixes>& out) {
    return store().Run(
        [&](LedgerTx& tx) {
            out.clear();
            for (const int64_t id : tripIds) {
                std::optional<Trip> trip;
                ML_LEDGER_TRY(tx.GetTrip(id, trip));
                if (!trip) return Status::Invalid(Format("주행 #%lld이(가) 없습니다", static_cast<long long>(id)));
                TripWithFixes item;
                ML_LEDGER_TRY(tx.Fixes(trip->carId, trip->startTime, trip->endTime, item.fixes));
                item.trip = std::move(*trip);
                out.push_back(std::move(item));
            }
            return Status::Ok();
        },
        Access::Read);
}

Status Ledger::TripYears(std::string_view regNo, std::vector<int>& years) {
    return WithCar(regNo, Access::Read, [&](LedgerTx& tx, const Car& car) {
        std::vector<Trip> trips;
        ML_LEDGER_TRY(AllTrips(tx, car.id, trips));
        years.clear();
        for (const Trip& t : trips) {
            const int year = BusinessYearOf(car.yearStart, t.startTime);
            if (years.empty() || years.back() != year) years.push_back(year);
        }
        return Status::Ok();
    });
}

}  // namespace ml::ledger
