#include "store/ledger/sql/SqlLedgerTx.h"

#include <algorithm>

#include "core/TextFormat.h"

namespace ml::ledger {

namespace {

enum Sql : int {
    kFindCar,
    kListCars,
    kInsertCar,
    kUpdateCar,
    kAddDownload,
    kListDownloads,
    kGetDownload,
    kSetDownloadAdded,
    kLastDownload,
    kInsertFix,
    kFixTimes,
    kFixSources,
    kFixes,
    kDeleteFixesOfKind,
    kHasKind,
    kTripsOverlapping,
    kGetTrip,
    kInsertTrip,
    kUpdateTrip,
    kDeleteTrip,
    kAddReading,
    kRemoveReading,
    kReadings,
    kAddHistory,
    kHistory,
    kGetLoggerMemory,
    kPutLoggerMemory,
    kGetShared,
    kPutShared,
    kSqlCount
};

#define ML_CAR_COLUMNS \
    "id, reg_no, kind, company, biz_no, dept, name, form, year_start_month, year_start_day, cut_seconds, base_odometer_km"
#define ML_DOWNLOAD_COLUMNS \
    "id, car_id, made_at, source, kind, logger_id, detail, fix_count, added_count, first_time, last_time, partial"
#define ML_TRIP_COLUMNS                                                                                        \
    "id, car_id, start_time, end_time, fix_count, distance_m, start_latitude, start_longitude, end_latitude, " \
    "end_longitude, start_address, end_address, trip_use, purpose, note, driver_dept, driver_name"

constexpr const char* kSqlText[] = {
    "SELECT " ML_CAR_COLUMNS " FROM car WHERE reg_no = ?1",
    "SELECT " ML_CAR_COLUMNS " FROM car ORDER BY reg_no",
    "INSERT INTO car (reg_no, kind, company, biz_no, dept, name, form, year_start_month, year_start_day, "
    "cut_seconds, base_odometer_km) VALUES (?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12) RETURNING id",
    "UPDATE car SET reg_no = ?2, kind = ?3, company = ?4, biz_no = ?5, dept = ?6, name = ?7, form = ?8, "
    "year_start_month = ?9, year_start_day = ?10, cut_seconds = ?11, base_odometer_km = ?12 WHERE id = ?1",

    "INSERT INTO download (car_id, made_at, source, kind, logger_id, detail, fix_count, added_count, first_time, "
    "last_time, partial, raw) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12) RETURNING id",
    "SELECT " ML_DOWNLOAD_COLUMNS " FROM download WHERE car_id = ?1 ORDER BY made_at, id",
    "SELECT " ML_DOWNLOAD_COLUMNS ", raw FROM download WHERE id = ?1",
    "UPDATE download SET added_count = ?2 WHERE id = ?1",
    "SELECT " ML_DOWNLOAD_COLUMNS
    ", raw FROM download WHERE car_id = ?1 AND logger_id = ?2 "
    "ORDER BY made_at DESC, id DESC LIMIT 1",

    "INSERT INTO fix (car_id, time, latitude, longitude, speed, height, download_id) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7) ON CONFLICT DO NOTHING",
    "SELECT time FROM fix WHERE car_id = ?1 AND time BETWEEN ?2 AND ?3 ORDER BY time",
    "SELECT download_id FROM fix WHERE car_id = ?1 AND time BETWEEN ?2 AND ?3 ORDER BY time",
    "SELECT time, latitude, longitude, speed, height FROM fix WHERE car_id = ?1 AND time BETWEEN ?2 AND ?3 "
    "ORDER BY time",
    "DELETE FROM fix WHERE car_id = ?1 AND time BETWEEN ?2 AND ?3 AND download_id IN "
    "(SELECT id FROM download WHERE car_id = ?1 AND kind = ?4)",
    "SELECT 1 FROM download WHERE car_id = ?1 AND kind = ?2 LIMIT 1",

    "SELECT " ML_TRIP_COLUMNS
    " FROM trip WHERE car_id = ?1 AND end_time >= ?2 AND start_time <= ?3 "
    "ORDER BY start_time",
    "SELECT " ML_TRIP_COLUMNS " FROM trip WHERE id = ?1",
    "INSERT INTO trip (car_id, start_time, end_time, fix_count, distance_m, start_latitude, start_longitude, "
    "end_latitude, end_longitude, start_address, end_address, trip_use, purpose, note, driver_dept, driver_name) "
    "VALUES (?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17) RETURNING id",
    "UPDATE trip SET car_id = ?2, start_time = ?3, end_time = ?4, fix_count = ?5, distance_m = ?6, "
    "start_latitude = ?7, start_longitude = ?8, end_latitude = ?9, end_longitude = ?10, start_address = ?11, "
    "end_address = ?12, trip_use = ?13, purpose = ?14, note = ?15, driver_dept = ?16, driver_name = ?17 "
    "WHERE id = ?1",
    "DELETE FROM trip WHERE id = ?1",

    "INSERT INTO odometer (car_id, time, km, note) VALUES (?1, ?2, ?3, ?4) RETURNING id",
    "DELETE FROM odometer WHERE id = ?1",
    "SELECT id, car_id, time, km, note FROM odometer WHERE car_id = ?1 ORDER BY time, id",

    "INSERT INTO history (car_id, made_at, trip_id, trip_start, field, old_value, new_value, author) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) RETURNING id",
    "SELECT id, car_id, made_at, trip_id, trip_start, field, old_value, new_value, author FROM history "
    "WHERE car_id = ?1 ORDER BY id",

    "SELECT kind, download_id, changed_at, image, imported_bytes, logs FROM logger_memory "
    "WHERE car_id = ?1 AND logger_id = ?2",
    "INSERT INTO logger_memory (car_id, logger_id, kind, download_id, changed_at, image, imported_bytes, logs) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) ON CONFLICT (car_id, logger_id) DO UPDATE SET kind = excluded.kind, "
    "download_id = excluded.download_id, changed_at = excluded.changed_at, image = excluded.image, "
    "imported_bytes = excluded.imported_bytes, logs = excluded.logs",

    "SELECT revision, value FROM shared_value WHERE key = ?1",
    // Only a higher revision goes in: of two writers that read the same
    // revision, the later one changes nothing.
    "INSERT INTO shared_value (key, revision, value) VALUES (?1, ?2, ?3) "
    "ON CONFLICT (key) DO UPDATE SET revision = excluded.revision, value = excluded.value "
    "WHERE shared_value.revision < excluded.revision",
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
    for (DownloadKind k :
         {DownloadKind::MtkImage, DownloadKind::PhlxRecords, DownloadKind::TrackFile, DownloadKind::FixCsv}) {
        if (text == KindText(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}

Status Damaged(const SqlSession& db, const std::string& what) {
    return Status::Refused(db.location() + ": 원장이 손상되었습니다 (" + what + ")");
}

void BindCar(SqlStatement& s, const Car& c) {
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

Status ReadCar(const SqlSession& db, const SqlStatement& s, Car& c) {
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

void BindTrip(SqlStatement& s, const Trip& t) {
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

// An INSERT ... RETURNING id, run to its end.
Status RunInsert(SqlStatement& s, int64_t& id) {
    Status status;
    if (s.Step(status)) id = s.Int(0);
    ML_LEDGER_TRY(status);
    return s.Run();
}

}  // namespace

SqlLedgerTx::SqlLedgerTx(SqlSession& session) : session_(session) {}

Status SqlLedgerTx::Use(int sql, SqlStatement*& statement) { return session_.Use(sql, kSqlText[sql], statement); }

void SqlLedgerTx::Begin(bool writing) {
    writing_ = writing;
    locked_.clear();
}

Status SqlLedgerTx::LockCar(int64_t, bool& locked) {
    locked = false;
    return Status::Ok();
}

Status SqlLedgerTx::Lock(int64_t carId, bool& fresh) {
    fresh = false;
    if (!writing_ || std::find(locked_.begin(), locked_.end(), carId) != locked_.end()) return Status::Ok();
    locked_.push_back(carId);
    return LockCar(carId, fresh);
}

Status SqlLedgerTx::ReadCarByRegNo(std::string_view regNo, std::optional<Car>& car) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kFindCar, s, regNo));
    Status status;
    car.reset();
    if (s->Step(status)) {
        Car c;
        ML_LEDGER_TRY(ReadCar(session_, *s, c));
        car = std::move(c);
    }
    return status;
}

Status SqlLedgerTx::FindCar(std::string_view regNo, std::optional<Car>& car) {
    ML_LEDGER_TRY(ReadCarByRegNo(regNo, car));
    bool fresh = false;
    if (car) ML_LEDGER_TRY(Lock(car->id, fresh));
    // The holder of the lock before us may have changed the car.
    return fresh ? ReadCarByRegNo(regNo, car) : Status::Ok();
}

Status SqlLedgerTx::ListCars(std::vector<Car>& cars) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kListCars, s));
    Status status;
    cars.clear();
    while (s->Step(status)) {
        Car c;
        ML_LEDGER_TRY(ReadCar(session_, *s, c));
        cars.push_back(std::move(c));
    }
    return status;
}

Status SqlLedgerTx::UpsertCar(Car& car) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(car.id == 0 ? kInsertCar : kUpdateCar, s));
    BindCar(*s, car);
    if (car.id != 0) return s->Run();
    return RunInsert(*s, car.id);
}

Status SqlLedgerTx::AddDownload(Download& d) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kAddDownload, s, d.carId, d.at, d.source, std::string_view(KindText(d.kind)), d.loggerId,
                      d.detail, d.fixCount, d.addedCount, d.firstTime, d.lastTime, int64_t{d.partial ? 1 : 0},
                      std::span<const uint8_t>(d.raw)));
    return RunInsert(*s, d.id);
}

Status SqlLedgerTx::ReadDownloads(SqlStatement& s, bool withRaw, std::vector<Download>& downloads) {
    Status status;
    while (s.Step(status)) {
        Download d;
        d.id = s.Int(0);
        d.carId = s.Int(1);
        d.at = s.Int(2);
        d.source = s.Text(3);
        if (!ParseKind(s.Text(4), d.kind)) {
            return Damaged(session_, Format("다운로드 %lld의 종류", static_cast<long long>(d.id)));
        }
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

Status SqlLedgerTx::ListDownloads(int64_t carId, std::vector<Download>& downloads) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kListDownloads, s, carId));
    downloads.clear();
    return ReadDownloads(*s, false, downloads);
}

Status SqlLedgerTx::GetDownload(int64_t id, std::optional<Download>& download) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kGetDownload, s, id));
    std::vector<Download> found;
    ML_LEDGER_TRY(ReadDownloads(*s, true, found));
    TakeFirst(found, download);
    return Status::Ok();
}

Status SqlLedgerTx::SetDownloadAdded(int64_t id, int64_t addedCount) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kSetDownloadAdded, s, id, addedCount));
    return s->Run();
}

Status SqlLedgerTx::LastDownloadOf(int64_t carId, std::string_view loggerId, std::optional<Download>& download) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kLastDownload, s, carId, loggerId));
    std::vector<Download> found;
    ML_LEDGER_TRY(ReadDownloads(*s, true, found));
    TakeFirst(found, download);
    return Status::Ok();
}

Status SqlLedgerTx::GetLoggerMemory(int64_t carId, std::string_view loggerId, std::optional<LoggerMemory>& memory) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kGetLoggerMemory, s, carId, loggerId));
    memory.reset();
    Status status;
    if (!s->Step(status)) return status;
    LoggerMemory m;
    m.carId = carId;
    m.loggerId = std::string(loggerId);
    const auto logs = ParseKeptLogs(s->Text(5));
    if (!ParseKind(s->Text(0), m.kind) || !logs) return Damaged(session_, "로거 " + m.loggerId + "의 메모리 기록");
    m.downloadId = s->Int(1);
    m.changedAt = s->Int(2);
    m.image = s->Blob(3);
    m.importedBytes = s->Int(4);
    m.logs = *logs;
    memory = std::move(m);
    return Status::Ok();
}

Status SqlLedgerTx::PutLoggerMemory(const LoggerMemory& m) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kPutLoggerMemory, s, m.carId, m.loggerId, std::string_view(KindText(m.kind)), m.downloadId,
                      m.changedAt, std::span<const uint8_t>(m.image), m.importedBytes, FormatKeptLogs(m.logs)));
    return s->Run();
}

Status SqlLedgerTx::InsertFixes(int64_t carId, int64_t downloadId, std::span<const LedgerFix> fixes, int64_t& added) {
    SqlStatement* s = nullptr;
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
        added += session_.Changes();
    }
    return Status::Ok();
}

Status SqlLedgerTx::FixColumn(int sql, int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& values) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(sql, s, carId, from, to));
    values.clear();
    Status status;
    while (s->Step(status)) values.push_back(s->Int(0));
    return status;
}

Status SqlLedgerTx::FixTimes(int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& times) {
    return FixColumn(kFixTimes, carId, from, to, times);
}

Status SqlLedgerTx::FixSources(int64_t carId, int64_t from, int64_t to, std::vector<int64_t>& downloadIds) {
    return FixColumn(kFixSources, carId, from, to, downloadIds);
}

Status SqlLedgerTx::Fixes(int64_t carId, int64_t from, int64_t to, std::vector<LedgerFix>& fixes) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kFixes, s, carId, from, to));
    fixes.clear();
    Status status;
    while (s->Step(status)) fixes.push_back({s->Int(0), F(s->Real(1)), F(s->Real(2)), F(s->Real(3)), F(s->Real(4))});
    return status;
}

Status SqlLedgerTx::DeleteFixesOfKind(int64_t carId, int64_t from, int64_t to, DownloadKind kind, int64_t& removed) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kDeleteFixesOfKind, s, carId, from, to, std::string_view(KindText(kind))));
    ML_LEDGER_TRY(s->Run());
    removed = session_.Changes();
    return Status::Ok();
}

Status SqlLedgerTx::HasDownloadsOfKind(int64_t carId, DownloadKind kind, bool& any) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kHasKind, s, carId, std::string_view(KindText(kind))));
    Status status;
    any = s->Step(status);
    return status;
}

Status SqlLedgerTx::ReadTrips(SqlStatement& s, std::vector<Trip>& trips) {
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
        if (!use) return Damaged(session_, Format("주행 #%lld의 구분", static_cast<long long>(t.id)));
        t.use = *use;
        t.purpose = s.Text(13);
        t.note = s.Text(14);
        t.driverDept = s.Text(15);
        t.driverName = s.Text(16);
        trips.push_back(std::move(t));
    }
    return status;
}

Status SqlLedgerTx::TripsOverlapping(int64_t carId, int64_t from, int64_t to, std::vector<Trip>& trips) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kTripsOverlapping, s, carId, from, to));
    trips.clear();
    return ReadTrips(*s, trips);
}

Status SqlLedgerTx::ReadTripById(int64_t id, std::optional<Trip>& trip) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kGetTrip, s, id));
    std::vector<Trip> found;
    ML_LEDGER_TRY(ReadTrips(*s, found));
    TakeFirst(found, trip);
    return Status::Ok();
}

Status SqlLedgerTx::GetTrip(int64_t id, std::optional<Trip>& trip) {
    ML_LEDGER_TRY(ReadTripById(id, trip));
    bool fresh = false;
    if (trip) ML_LEDGER_TRY(Lock(trip->carId, fresh));
    // The trip may have been cut anew, or merged away, meanwhile.
    return fresh ? ReadTripById(id, trip) : Status::Ok();
}

Status SqlLedgerTx::InsertTrip(Trip& trip) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kInsertTrip, s));
    BindTrip(*s, trip);
    return RunInsert(*s, trip.id);
}

Status SqlLedgerTx::UpdateTrip(const Trip& trip) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kUpdateTrip, s));
    BindTrip(*s, trip);
    return s->Run();
}

Status SqlLedgerTx::DeleteTrip(int64_t id) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kDeleteTrip, s, id));
    return s->Run();
}

Status SqlLedgerTx::AddReading(OdometerReading& r) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kAddReading, s, r.carId, r.time, r.km, r.note));
    return RunInsert(*s, r.id);
}

Status SqlLedgerTx::RemoveReading(int64_t id) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kRemoveReading, s, id));
    return s->Run();
}

Status SqlLedgerTx::Readings(int64_t carId, std::vector<OdometerReading>& readings) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kReadings, s, carId));
    readings.clear();
    Status status;
    while (s->Step(status)) readings.push_back({s->Int(0), s->Int(1), s->Int(2), s->Real(3), s->Text(4)});
    return status;
}

Status SqlLedgerTx::AddHistory(HistoryEntry& e) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kAddHistory, s, e.carId, e.at, e.tripId, e.tripStart, e.field, e.oldValue, e.newValue, e.by));
    return RunInsert(*s, e.id);
}

Status SqlLedgerTx::History(int64_t carId, std::vector<HistoryEntry>& entries) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kHistory, s, carId));
    entries.clear();
    Status status;
    while (s->Step(status)) {
        entries.push_back(
            {s->Int(0), s->Int(1), s->Int(2), s->Int(3), s->Int(4), s->Text(5), s->Text(6), s->Text(7), s->Text(8)});
    }
    return status;
}

Status SqlLedgerTx::AssignRole(std::string_view, int64_t, bool, bool&) {
    return Status::Invalid(session_.location() +
                           ": 이 원장에는 데이터베이스 역할이 없습니다 (PostgreSQL 원장에서만 권한을 줍니다)");
}

Status SqlLedgerTx::GetShared(std::string_view key, std::optional<SharedValue>& value) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kGetShared, s, key));
    value.reset();
    Status status;
    if (s->Step(status)) value = SharedValue{s->Int(0), s->Text(1)};
    return status;
}

Status SqlLedgerTx::PutShared(std::string_view key, const SharedValue& value) {
    SqlStatement* s = nullptr;
    ML_LEDGER_TRY(Use(kPutShared, s, key, value.revision, value.text));
    ML_LEDGER_TRY(s->Run());
    if (session_.Changes() == 0) return Status::Conflict(std::string(key) + ": 다른 곳에서 먼저 저장했습니다");
    return Status::Ok();
}

}  // namespace ml::ledger
