#include "store/ledger/Ledger.h"

#include <cmath>
#include <ctime>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "core/ledger/OdometerChain.h"
#include "core/ledger/OfficialLogBuilder.h"
#include "store/ledger/LedgerTxSteps.h"
#include "store/ledger/LedgerUrl.h"
#include "store/ledger/postgres/PgLedgerStore.h"
#include "store/ledger/sqlite/SqliteLedgerStore.h"

namespace ml::ledger {

namespace {

std::string ReadingText(const OdometerReading& r) {
    std::string text = Format("%s %.1f km", MinuteText(r.time).c_str(), r.km);
    if (!r.note.empty()) text += " (" + r.note + ")";
    return text;
}

// One history entry per detail of the car that the edit changes.
void ApplyCarEdit(Car& car, const CarEdit& edit, std::vector<std::pair<std::string, std::string>>& changes) {
    auto text = [&changes](const char* label, std::string& field, const std::optional<std::string>& value) {
        if (!value || *value == field) return;
        changes.push_back({std::string(label) + "=" + field, std::string(label) + "=" + *value});
        field = *value;
    };
    text("차종", car.kind, edit.kind);
    text("법인명", car.company, edit.company);
    text("사업자등록번호", car.bizNo, edit.bizNo);
    text("부서", car.dept, edit.dept);
    text("성명", car.name, edit.name);
    if (edit.form && *edit.form != car.form) {
        changes.push_back(
            {"서식=" + std::string(FormVariantText(car.form)), "서식=" + std::string(FormVariantText(*edit.form))});
        car.form = *edit.form;
    }
    if (edit.yearStart && !(*edit.yearStart == car.yearStart)) {
        changes.push_back(
            {"사업연도 시작=" + MonthDayText(car.yearStart), "사업연도 시작=" + MonthDayText(*edit.yearStart)});
        car.yearStart = *edit.yearStart;
    }
}

}  // namespace

Status RequireCar(LedgerTx& tx, std::string_view regNo, Car& car) {
    std::optional<Car> found;
    ML_LEDGER_TRY(tx.FindCar(regNo, found));
    if (!found) return Status::Invalid("등록되지 않은 차량입니다: " + std::string(regNo));
    car = std::move(*found);
    return Status::Ok();
}

Status AllTrips(LedgerTx& tx, int64_t carId, std::vector<Trip>& trips) {
    return tx.TripsOverlapping(carId, -kAllTime, kAllTime, trips);
}

std::string PhlxDetail(int32_t timeBase) { return Format("timebase=%d", timeBase); }

Ledger::Ledger(std::unique_ptr<LedgerStore> store, std::string by) : store_(std::move(store)), by_(std::move(by)) {}

Status Ledger::WithCar(std::string_view regNo, Access access,
                       const std::function<Status(LedgerTx&, const Car&)>& work) {
    return store().Run(
        [&](LedgerTx& tx) {
            Car car;
            ML_LEDGER_TRY(RequireCar(tx, regNo, car));
            return work(tx, car);
        },
        access);
}

Status Ledger::Cars(std::vector<Car>& cars) {
    return store().Run([&](LedgerTx& tx) { return tx.ListCars(cars); }, Access::Read);
}

Status Ledger::FindCar(std::string_view regNo, Car& car) {
    return store().Run([&](LedgerTx& tx) { return RequireCar(tx, regNo, car); }, Access::Read);
}

Status Ledger::SaveCar(std::string_view regNo, const Car& seed, const CarEdit& edit, Car& saved, bool& added) {
    if (regNo.empty()) return Status::Invalid("자동차등록번호가 비어 있습니다");
    return store().Run([&](LedgerTx& tx) {
        std::optional<Car> found;
        ML_LEDGER_TRY(tx.FindCar(regNo, found));
        added = !found;
        Car car = found ? *found : seed;
        if (added) {
            car.id = 0;
            car.regNo = std::string(regNo);
        }
        std::vector<std::pair<std::string, std::string>> changes;
        ApplyCarEdit(car, edit, changes);
        if (added) changes = {{"", "등록"}};
        if (changes.empty()) {
            saved = car;
            return Status::Ok();
        }
        ML_LEDGER_TRY(tx.UpsertCar(car));
        for (auto& [oldValue, newValue] : changes) {
            HistoryEntry entry{0, car.id, std::time(nullptr), 0, 0, "car", oldValue, newValue, by_};
            ML_LEDGER_TRY(tx.AddHistory(entry));
        }
        saved = car;
        return Status::Ok();
    });
}

Status Ledger::Trips(std::string_view regNo, const std::optional<Period>& period, std::vector<Trip>& trips) {
    return WithCar(regNo, Access::Read, [&](LedgerTx& tx, const Car& car) {
        if (!period) return AllTrips(tx, car.id, trips);
        ML_LEDGER_TRY(tx.TripsOverlapping(car.id, period->from, period->to - 1, trips));
        std::erase_if(trips, [&](const Trip& t) { return !period->Contains(t.startTime); });
        return Status::Ok();
    });
}

Status Ledger::AddReading(std::string_view regNo, int64_t time, double km, const std::string& note,
                          OdometerReading& added) {
    if (!std::isfinite(km) || km < 0) return Status::Invalid(Format("주행거리계 값이 올바르지 않습니다: %g", km));
    return WithCar(regNo, Access::Write, [&](LedgerTx& tx, const Car& car) {
        std::vector<Trip> trips;
        std::vector<OdometerReading> readings;
        ML_LEDGER_TRY(AllTrips(tx, car.id, trips));
        ML_LEDGER_TRY(tx.Readings(car.id, readings));
        OdometerReading reading{0, car.id, time, km, note};
        const std::string refusal = CheckNewReading(car, trips, readings, reading);
        if (!refusal.empty()) return Status::Invalid(refusal);
        ML_LEDGER_TRY(tx.AddReading(reading));
        HistoryEntry entry{0, car.id, std::time(nullptr), 0, 0, "reading", "", ReadingText(reading), by_};
        ML_LEDGER_TRY(tx.AddHistory(entry));
        added = reading;
        return Status::Ok();
    });
}

Status Ledger::RemoveReading(std::string_view regNo, int64_t readingId) {
    return WithCar(regNo, Access::Write, [&](LedgerTx& tx, const Car& car) {
        std::vector<OdometerReading> readings;
        ML_LEDGER_TRY(tx.Readings(car.id, readings));
        for (const OdometerReading& r : readings) {
            if (r.id != readingId) continue;
            ML_LEDGER_TRY(tx.RemoveReading(r.id));
            HistoryEntry entry{0, car.id, std::time(nullptr), 0, 0, "reading", ReadingText(r), "", by_};
            return tx.AddHistory(entry);
        }
        return Status::Invalid(Format("%s에는 주행거리계 기록 #%lld이(가) 없습니다", car.regNo.c_str(),
                                      static_cast<long long>(readingId)));
    });
}

Status Ledger::Readings(std::string_view regNo, std::vector<OdometerReading>& readings) {
    return WithCar(regNo, Access::Read, [&](LedgerTx& tx, const Car& car) { return tx.Readings(car.id, readings); });
}

Status Ledger::Log(std::string_view regNo, const Period& period, OfficialLog& log) {
    return WithCar(regNo, Access::Read, [&](LedgerTx& tx, const Car& car) {
        std::vector<Trip> trips;
        std::vector<OdometerReading> readings;
        std::vector<HistoryEntry> history;
        ML_LEDGER_TRY(AllTrips(tx, car.id, trips));
        ML_LEDGER_TRY(tx.Readings(car.id, readings));
        ML_LEDGER_TRY(tx.History(car.id, history));
        std::vector<NamedPlace> places;
        std::string problem;
        ML_LEDGER_TRY(PlacesOfCar(tx, car, places, problem));
        NameTripEnds(trips, places);
        log = BuildOfficialLog(car, trips, readings, history, period);
        if (!problem.empty()) log.warnings.push_back(problem);
        return Status::Ok();
    });
}

Status Ledger::Refund(std::string_view regNo, const Period& period, double economyKmPerLitre, double pricePerLitre,
                      RefundRecord& refund) {
    return WithCar(regNo, Access::Read, [&](LedgerTx& tx, const Car& car) {
        std::vector<Trip> trips;
        ML_LEDGER_TRY(tx.TripsOverlapping(car.id, period.from, period.to - 1, trips));
        std::vector<NamedPlace> places;
        std::string problem;
        ML_LEDGER_TRY(PlacesOfCar(tx, car, places, problem));
        NameTripEnds(trips, places);
        refund = BuildRefundRecord(car, trips, period, economyKmPerLitre, pricePerLitre);
        return Status::Ok();
    });
}

Status Ledger::TripsWithFixesOf(std::string_view regNo, const Period& period, std::vector<TripWithFixes>& out) {
    return WithCar(regNo, Access::Read, [&](LedgerTx& tx, const Car& car) {
        std::vector<Trip> trips;
        ML_LEDGER_TRY(tx.TripsOverlapping(car.id, period.from, period.to - 1, trips));
        out.clear();
        for (Trip& trip : trips) {
            if (!period.Contains(trip.startTime)) continue;
            TripWithFixes item;
            ML_LEDGER_TRY(tx.Fixes(car.id, trip.startTime, trip.endTime, item.fixes));
            item.trip = std::move(trip);
            out.push_back(std::move(item));
        }
        return Status::Ok();
    });
}

Status Ledger::Summary(int year, std::vector<CarTotals>& totals) {
    return store().Run(
        [&](LedgerTx& tx) {
            std::vector<Car> cars;
            ML_LEDGER_TRY(tx.ListCars(cars));
            totals.clear();
            for (const Car& car : cars) {
                std::vector<Trip> trips;
                std::vector<OdometerReading> readings;
                ML_LEDGER_TRY(AllTrips(tx, car.id, trips));
                ML_LEDGER_TRY(tx.Readings(car.id, readings));
                const Period period = BusinessYear(car.yearStart, year);
                const OfficialLog log = BuildOfficialLog(car, trips, readings, {}, period);
                totals.push_back({car, period, log.totals});
            }
            return Status::Ok();
        },
        Access::Read);
}

Status Ledger::History(std::string_view regNo, std::vector<HistoryEntry>& entries) {
    return WithCar(regNo, Access::Read, [&](LedgerTx& tx, const Car& car) { return tx.History(car.id, entries); });
}

Status Ledger::Downloads(std::string_view regNo, std::vector<Download>& downloads) {
    return WithCar(regNo, Access::Read,
                   [&](LedgerTx& tx, const Car& car) { return tx.ListDownloads(car.id, downloads); });
}

Status Ledger::GetDownload(std::string_view regNo, int64_t downloadId, Download& download) {
    return WithCar(regNo, Access::Read, [&](LedgerTx& tx, const Car& car) {
        std::optional<Download> found;
        ML_LEDGER_TRY(tx.GetDownload(downloadId, found));
        if (!found || found->carId != car.id) {
            return Status::Invalid(
                Format("%s에는 다운로드 #%lld이(가) 없습니다", car.regNo.c_str(), static_cast<long long>(downloadId)));
        }
        download = std::move(*found);
        return Status::Ok();
    });
}

Status Ledger::Grant(std::string_view role, const std::vector<Car>& cars, bool allCars, bool revoke) {
    if (role.empty()) return Status::Invalid("역할 이름이 비어 있습니다");
    return store().Run([&](LedgerTx& tx) {
        const int64_t now = std::time(nullptr);
        bool changed = false;
        if (allCars) ML_LEDGER_TRY(tx.AssignRole(role, 0, !revoke, changed));
        for (const Car& seed : cars) {
            std::optional<Car> found;
            ML_LEDGER_TRY(tx.FindCar(seed.regNo, found));
            Car car = found ? *found : seed;
            if (!found) {
                if (revoke) return Status::Invalid("등록되지 않은 차량입니다: " + seed.regNo);
                car.id = 0;
                ML_LEDGER_TRY(tx.UpsertCar(car));
                HistoryEntry entry{0, car.id, now, 0, 0, "car", "", "등록", by_};
                ML_LEDGER_TRY(tx.AddHistory(entry));
            }
            ML_LEDGER_TRY(tx.AssignRole(role, car.id, !revoke, changed));
            if (!changed) continue;
            const std::string name(role);
            HistoryEntry entry{0, car.id, now, 0, 0, "role", revoke ? name : "", revoke ? "" : name, by_};
            ML_LEDGER_TRY(tx.AddHistory(entry));
        }
        return Status::Ok();
    });
}

Status OpenLedgerStore(const std::string& location, std::unique_ptr<LedgerStore>& store, bool migrate) {
    if (location.empty()) return Status::Invalid("원장 위치가 비어 있습니다");
    if (IsPostgresLocation(location)) return OpenPgLedgerStore(location, migrate, store);
    return SqliteLedgerStore::Open(location, store);
}

Status OpenLedger(const std::string& location, std::string by, std::unique_ptr<Ledger>& ledger, bool migrate) {
    std::unique_ptr<LedgerStore> store;
    ML_LEDGER_TRY(OpenLedgerStore(location, store, migrate));
    // Where the database knows who is working, the history names that role.
    if (!store->role().empty()) by = store->role();
    ledger = std::make_unique<Ledger>(std::move(store), std::move(by));
    return Status::Ok();
}

}  // namespace ml::ledger
