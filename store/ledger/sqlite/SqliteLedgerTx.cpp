#include "store/ledger/sqlite/SqliteLedgerTx.h"

#include <memory>

#include "core/TextFormat.h"

namespace ml::ledger {

namespace {

enum Sql : int {
    kFindCar, kListCars, kInsertCar, kUpdateCar,
    kAddDownload, kListDownloads, kGetDownload, kSetDownloadAdded, kLastDownload,
    kInsertFix, kFixTimes, kFixes, kDeleteFixesOfKind, kHasKind,
    kTripsOverlapping, kGetTrip, kInsertTrip, kUpdateTrip, kDeleteTrip,
    kAddReading, kRemoveReading, kReadings,
    kAddHistory, kHistory,
    kGetShared, kPutShared,
    kSqlCount
};

#define ML_CAR_COLUMNS \
    "id, reg_no, kind, company, biz_no, dept, name, form, year_start_month, year_start_day, cut_seconds, base_odometer_km"
#define ML_DOWNLOAD_COLUMNS \
    "id, car_id, made_at, source, kind, logger_id, detail, fix_count, added_count, first_time, last_time, partial"
#define ML_TRIP_COLUMNS                                                                                       \
    "id, car_id, start_time, end_time, fix_count, distance_m, start_latitude, start_longitude, end_latitude, " \
    "end_longitude, start_address, end_address, trip_use, purpose, note, driver_dept, driver_name"

constexpr const char* kSqlText[] = {
    "SELECT " ML_CAR_COLUMNS " FROM car WHERE reg_no = ?1",
    "SELECT " ML_CAR_COLUMNS " FROM car ORDER BY reg_no",
    "INSERT INTO car (reg_no, kind, company, biz_no, dept, name, form, year_start_month, year_start_day, "
    "cut_seconds, base_odometer_km) VALUES (?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)",
    "UPDATE car SET reg_no = ?2, kind = ?3, company = ?4, biz_no = ?5, dept = ?6, name = ?7, form = ?8, "
    "year_start_month = ?9, year_start_day = ?10, cut_seconds = ?11, base_odometer_km = ?12 WHERE id = ?1",

    "INSERT INTO download (car_id, made_at, source, kind, logger_id, detail, fix_count, added_count, first_time, "
    "last_time, partial, raw) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)",
    "SELECT " ML_DOWNLOAD_COLUMNS " FROM download WHERE car_id = ?1 ORDER BY made_at, id",
    "SELECT " ML_DOWNLOAD_COLUMNS ", raw FROM download WHERE id = ?1",
    "UPDATE download SET added_count = ?2 WHERE id = ?1",
    "SELECT " ML_DOWNLOAD_COLUMNS ", raw FROM download WHERE car_id = ?1 AND logger_id = ?2 "
    "ORDER BY made_at DESC, id DESC LIMIT 1",

    "INSERT INTO fix (car_id, time, latitude, longitude, speed, height, download_id) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT DO NOTHING",
    "SELECT time FROM fix WHERE car_id = ?1 AND time BETWEEN ?2 AND ?3 ORDER BY time",
    "SELECT time, latitude, longitude, speed, height FROM fix WHERE car_id = ?1 AND time BETWEEN ?2 AND ?3 "
    "ORDER BY time",
    "DELETE FROM fix WHERE car_id = ?1 AND time BETWEEN ?2 AND ?3 AND download_id IN "
    "(SELECT id FROM download WHERE car_id = ?1 AND kind = ?4)",
    "SELECT 1 FROM download WHERE car_id = ?1 AND kind = ?2 LIMIT 1",

    "SELECT " ML_TRIP_COLUMNS " FROM trip WHERE car_id = ?1 AND end_time >= ?2 AND start_time <= ?3 "
    "ORDER BY start_time",
    "SELECT " ML_TRIP_COLUMNS " FROM trip WHERE id = ?1",
    "INSERT INTO trip (car_id, start_time, end_time, fix_count, distance_m, start_latitude, start_longitude, "
    "end_latitude, end_longitude, start_address, end_address, trip_use, purpose, note, driver_dept, driver_name) "
    "VALUES (?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)",
    "UPDATE trip SET car_id = ?2, start_time = ?3, end_time = ?4, fix_count = ?5, distance_m = ?6, "
    "start_latitude = ?7, start_longitude = ?8, end_latitude = ?9, end_longitude = ?10, start_address = ?11, "
    "end_address = ?12, trip_use = ?13, purpose = ?14, note = ?15, driver_dept = ?16, driver_name = ?17 "
    "WHERE id = ?1",
    "DELETE FROM trip WHERE id = ?1",

    "INSERT INTO odometer (car_id, time, km, note) VALUES (?1, ?2, ?3, ?4)",
    "DELETE FROM odometer WHERE id = ?1",
    "SELECT id, car_id, time, km, note FROM odometer WHERE car_id = ?1 ORDER BY time, id",

    "INSERT INTO history (car_id, made_at, trip_id, trip_start, field, old_value, new_value, author) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
    "SELECT id, car_id, made_at, trip_id, trip_start, field, old_value, new_value, author FROM history "
    "WHERE car_id = ?1 ORDER BY id",

    "SELECT revision, value FROM shared_value WHERE key = ?1",
    "INSERT INTO shared_value (key, revision, value) VALUES (?1, ?2, ?3) "
    "ON CONFLICT (key) DO UPDATE SET revision = excluded.revision, value = excluded.value",
};
static_assert(std::size(kSqlText) == kSqlCount);

const char* KindText(DownloadKind kind) {
    switch (kind) {
        case DownloadKind::MtkImage: return "mtk";
        case DownloadKind::PhlxRecords: return "phlx";
        case DownloadKind::TrackFile: return "dat";
        case DownloadKind::FixCsv: return "csv";
    }
    return "?";
}

bool ParseKind(const std::string& text, DownloadKind& kind) {
    for (DownloadKind k : {DownloadKind::MtkImage, DownloadKind::PhlxRecords, DownloadKind::TrackFile,
                           DownloadKind::FixCsv}) {
        if (text == KindText(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}

Status Damaged(const SqliteDb& db, const std::string& what) {
    return Status::Refused(db.path() + ": 원장이 손상되었습니다 (" + what + ")");
}

void BindCar(SqliteStatement& s, const Car& c) {
    s.Bind(1, c.id);
    s.Bind(2, c.regNo);
    s.Bind(3, c.kind);
    s.Bind(4, c.company);
    s.Bind(5, c.bizNo);
    s.Bind(6, c.dept);
    s.Bind(7, c.name);
    s.Bind(8, FormVariantText(c.form));
    s.Bind(9, int64_t{c.yearStart.month});
    s.Bind(10, int64_t{c.yearStart.day});
    s.Bind(11, int64_t{c.cutSeconds});
    s.Bind(12, c.baseOdometerKm);
}

Status ReadCar(const SqliteDb& db, const SqliteStatement& s, Car& c) {
    c.id = s.Int(0);
    c.regNo = s.Text(1);
    c.kind = s.Text(2);
    c.company = s.Text(3);
    c.bizNo = s.Text(4);
    c.dept = s.Text(5);
    c.name = s.Text(6);
    const auto form = ParseFormVariant(s.Text(7));
    if (!form) return Damaged(db, "차량 " + c.regNo + "의 서식");
    c.form = *form;
    c.yearStart = {static_cast<int>(s.Int(8)), static_cast<int>(s.Int(9))};
    c.cutSeconds = static_cast<int32_t>(s.Int(10));
    c.baseOdometerKm = s.Real(11);
    return Status::Ok();
}

void BindTrip(SqliteStatement& s, const Trip& t) {
    s.Bind(1, t.id);
    s.Bind(2, t.carId);
    s.Bind(3, t.startTime);
    s.Bind(4, t.endTime);
    s.Bind(5, t.fixCount);
    s.Bind(6, t.distanceM);
    s.Bind(7, static_cast<double>(t.startLatitude));
    s.Bind(8, static_cast<double>(t.startLongitude));
    s.Bind(9, static_cast<double>(t.endLatitude));
    s.Bind(10, static_cast<double>(t.endLongitude));
    s.Bind(11, t.startAddress);
    s.Bind(12, t.endAddress);
    s.Bind(13, UseText(t.use));
    s.Bind(14, t.purpose);
    s.Bind(15, t.note);
    s.Bind(16, t.driverDept);
    s.Bind(17, t.driverName);
}

float F(double value) { return static_cast<float>(value); }

template <typename T>
void TakeFirst(std::vector<T>& found, std::optional<T>& one) {
    one.reset();
    if (!found.empty()) one = std::move(found.front());
}

}  // namespace

void SqliteLedgerTx::Release() {
    for (auto& s : statements_) s.reset();
}

Status SqliteLedgerTx::Use(int sql, SqliteStatement*& statement) {
    auto& slot = statements_[static_cast<size_t>(sql)];
    if (!slot) {
        auto fresh = std::make_unique<SqliteStatement>();
        ML_LEDGER_TRY(fresh->Prepare(db_, kSqlText[sql]));
        slot = std::move(fresh);
    } else {
        slot->Reset();
    }
    statement = slot.get();
    return Status::Ok();
}

Status SqliteLedgerTx::FindCar(std::string_view regNo, std::optional<Car>& car) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kFindCar, s, regNo));
    Status status;
    car.reset();
    if (s->Step(status)) {
        Car c;
        ML_LEDGER_TRY(ReadCar(db_, *s, c));
        car = std::move(c);
    }
    return status;
}

Status SqliteLedgerTx::ListCars(std::vector<Car>& cars) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kListCars, s));
    Status status;
    cars.clear();
    while (s->Step(status)) {
        Car c;
        ML_LEDGER_TRY(ReadCar(db_, *s, c));
        cars.push_back(std::move(c));
    }
    return status;
}

Status SqliteLedgerTx::UpsertCar(Car& car) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(car.id == 0 ? kInsertCar : kUpdateCar, s));
    BindCar(*s, car);
    ML_LEDGER_TRY(s->Run());
    if (car.id == 0) car.id = sqlite3_last_insert_rowid(db_.handle());
    return Status::Ok();
}

Status SqliteLedgerTx::AddDownload(Download& d) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kAddDownload, s, d.carId, d.at, d.source, std::string_view(KindText(d.kind)), d.loggerId,
                      d.detail, d.fixCount, d.addedCount, d.firstTime, d.lastTime, int64_t{d.partial ? 1 : 0},
                      std::span<const uint8_t>(d.raw)));
    ML_LEDGER_TRY(s->Run());
    d.id = sqlite3_last_insert_rowid(db_.handle());
    return Status::Ok();
}

Status SqliteLedgerTx::ReadDownloads(SqliteStatement& s, bool withRaw, std::vector<Download>& downloads) {
    Status status;
    while (s.Step(status)) {
        Download d;
        d.id = s.Int(0);
        d.carId = s.Int(1);
        d.at = s.Int(2);
        d.source = s.Text(3);
        if (!ParseKind(s.Text(4), d.kind)) return Damaged(db_, Format("다운로드 %lld의 종류", static_cast<long long>(d.id)));
        d.loggerId = s.Text(5);
        d.detail = s.Text(6);
        d.fixCount = s.Int(7);
        d.addedCount = s.Int(8);
        d.firstTime = s.Int(9);
        d.lastTime = s.Int(10);
        d.partial = s.Int(11) != 0;
        if (withRaw) d.raw = s.Blob(12);
        downloads.push_back(std::move(d));
    }
    return status;
}

Status SqliteLedgerTx::ListDownloads(int64_t carId, std::vector<Download>& downloads) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kListDownloads, s, carId));
    downloads.clear();
    return ReadDownloads(*s, false, downloads);
}

Status SqliteLedgerTx::GetDownload(int64_t id, std::optional<Download>& download) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kGetDownload, s, id));
    std::vector<Download> found;
    ML_LEDGER_TRY(ReadDownloads(*s, true, found));
    TakeFirst(found, download);
    return Status::Ok();
}

Status SqliteLedgerTx::SetDownloadAdded(int64_t id, int64_t addedCount) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kSetDownloadAdded, s, id, addedCount));
    return s->Run();
}

Status SqliteLedgerTx::LastDownloadOf(int64_t carId, std::string_view loggerId, std::optional<Download>& download) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kLastDownload, s, carId, loggerId));
    std::vector<Download> found;
    ML_LEDGER_TRY(ReadDownloads(*s, true, found));
    TakeFirst(found, download);
    return Status::Ok();
}

Status SqliteLedgerTx::InsertFixes(int64_t carId, int64_t downloadId, std::span<const LedgerFix> fixes,
                                   int64_t& added) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kInsertFix, s));
    added = 0;
    for (const LedgerFix& f : fixes) {
        s->Reset();
        s->Bind(1, carId);
        s->Bind(2, f.time);
        s->Bind(3, static_cast<double>(f.latitude));
        s->Bind(4, static_cast<double>(f.longitude));
        s->Bind(5, static_cast<double>(f.speed));
        s->Bind(6, static_cast<double>(f.height));
        s->Bind(7, downloadId);
        ML_LEDGER_TRY(s->Run());
        added += sqlite3_changes(db_.handle());
    }
    return Status::Ok();
}

Status SqliteLedgerTx::FixTimes(int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& times) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kFixTimes, s, carId, from, to));
    times.clear();
    Status status;
    while (s->Step(status)) times.push_back(s->Int(0));
    return status;
}

Status SqliteLedgerTx::Fixes(int64_t carId, int64_t from, int64_t to, std::vector<LedgerFix>& fixes) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kFixes, s, carId, from, to));
    fixes.clear();
    Status status;
    while (s->Step(status)) fixes.push_back({s->Int(0), F(s->Real(1)), F(s->Real(2)), F(s->Real(3)), F(s->Real(4))});
    return status;
}

Status SqliteLedgerTx::DeleteFixesOfKind(int64_t carId, int64_t from, int64_t to, DownloadKind kind,
                                         int64_t& removed) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kDeleteFixesOfKind, s, carId, from, to, std::string_view(KindText(kind))));
    ML_LEDGER_TRY(s->Run());
    removed = sqlite3_changes(db_.handle());
    return Status::Ok();
}

Status SqliteLedgerTx::HasDownloadsOfKind(int64_t carId, DownloadKind kind, bool& any) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kHasKind, s, carId, std::string_view(KindText(kind))));
    Status status;
    any = s->Step(status);
    return status;
}

Status SqliteLedgerTx::ReadTrips(SqliteStatement& s, std::vector<Trip>& trips) {
    Status status;
    while (s.Step(status)) {
        Trip t;
        t.id = s.Int(0);
        t.carId = s.Int(1);
        t.startTime = s.Int(2);
        t.endTime = s.Int(3);
        t.fixCount = s.Int(4);
        t.distanceM = s.Real(5);
        t.startLatitude = F(s.Real(6));
        t.startLongitude = F(s.Real(7));
        t.endLatitude = F(s.Real(8));
        t.endLongitude = F(s.Real(9));
        t.startAddress = s.Text(10);
        t.endAddress = s.Text(11);
        const auto use = ParseUse(s.Text(12));
        if (!use) return Damaged(db_, Format("주행 #%lld의 구분", static_cast<long long>(t.id)));
        t.use = *use;
        t.purpose = s.Text(13);
        t.note = s.Text(14);
        t.driverDept = s.Text(15);
        t.driverName = s.Text(16);
        trips.push_back(std::move(t));
    }
    return status;
}

Status SqliteLedgerTx::TripsOverlapping(int64_t carId, int64_t from, int64_t to, std::vector<Trip>& trips) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kTripsOverlapping, s, carId, from, to));
    trips.clear();
    return ReadTrips(*s, trips);
}

Status SqliteLedgerTx::GetTrip(int64_t id, std::optional<Trip>& trip) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kGetTrip, s, id));
    std::vector<Trip> found;
    ML_LEDGER_TRY(ReadTrips(*s, found));
    TakeFirst(found, trip);
    return Status::Ok();
}

Status SqliteLedgerTx::InsertTrip(Trip& trip) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kInsertTrip, s));
    BindTrip(*s, trip);
    ML_LEDGER_TRY(s->Run());
    trip.id = sqlite3_last_insert_rowid(db_.handle());
    return Status::Ok();
}

Status SqliteLedgerTx::UpdateTrip(const Trip& trip) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kUpdateTrip, s));
    BindTrip(*s, trip);
    return s->Run();
}

Status SqliteLedgerTx::DeleteTrip(int64_t id) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kDeleteTrip, s, id));
    return s->Run();
}

Status SqliteLedgerTx::AddReading(OdometerReading& r) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kAddReading, s, r.carId, r.time, r.km, r.note));
    ML_LEDGER_TRY(s->Run());
    r.id = sqlite3_last_insert_rowid(db_.handle());
    return Status::Ok();
}

Status SqliteLedgerTx::RemoveReading(int64_t id) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kRemoveReading, s, id));
    return s->Run();
}

Status SqliteLedgerTx::Readings(int64_t carId, std::vector<OdometerReading>& readings) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kReadings, s, carId));
    readings.clear();
    Status status;
    while (s->Step(status)) readings.push_back({s->Int(0), s->Int(1), s->Int(2), s->Real(3), s->Text(4)});
    return status;
}

Status SqliteLedgerTx::AddHistory(HistoryEntry& e) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kAddHistory, s, e.carId, e.at, e.tripId, e.tripStart, e.field, e.oldValue, e.newValue, e.by));
    ML_LEDGER_TRY(s->Run());
    e.id = sqlite3_last_insert_rowid(db_.handle());
    return Status::Ok();
}

Status SqliteLedgerTx::History(int64_t carId, std::vector<HistoryEntry>& entries) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kHistory, s, carId));
    entries.clear();
    Status status;
    while (s->Step(status)) {
        entries.push_back({s->Int(0), s->Int(1), s->Int(2), s->Int(3), s->Int(4), s->Text(5), s->Text(6),
                           s->Text(7), s->Text(8)});
    }
    return status;
}

Status SqliteLedgerTx::GetShared(std::string_view key, std::optional<SharedValue>& value) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kGetShared, s, key));
    value.reset();
    Status status;
    if (s->Step(status)) value = SharedValue{s->Int(0), s->Text(1)};
    return status;
}

Status SqliteLedgerTx::PutShared(std::string_view key, const SharedValue& value) {
    SqliteStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kPutShared, s, key, value.revision, value.text));
    return s->Run();
}

}  // namespace ml::ledger
