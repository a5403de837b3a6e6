#include "store/ledger/sqlite/SqliteSchema.h"

namespace ml::ledger {

namespace {

constexpr const char* kVersion1 = R"sql(
CREATE TABLE car (
    id INTEGER PRIMARY KEY,
    reg_no TEXT NOT NULL UNIQUE,
    kind TEXT NOT NULL,
    company TEXT NOT NULL,
    biz_no TEXT NOT NULL,
    dept TEXT NOT NULL,
    name TEXT NOT NULL,
    form TEXT NOT NULL,
    year_start_month INTEGER NOT NULL,
    year_start_day INTEGER NOT NULL,
    cut_seconds INTEGER NOT NULL,
    base_odometer_km REAL NOT NULL
);
CREATE TABLE download (
    id INTEGER PRIMARY KEY,
    car_id INTEGER NOT NULL REFERENCES car(id),
    made_at INTEGER NOT NULL,
    source TEXT NOT NULL,
    kind TEXT NOT NULL,
    logger_id TEXT NOT NULL,
    detail TEXT NOT NULL,
    fix_count INTEGER NOT NULL,
    added_count INTEGER NOT NULL,
    first_time INTEGER NOT NULL,
    last_time INTEGER NOT NULL,
    partial INTEGER NOT NULL,
    raw BLOB NOT NULL
);
CREATE INDEX download_by_logger ON download(car_id, logger_id, made_at);
CREATE TABLE fix (
    car_id INTEGER NOT NULL REFERENCES car(id),
    time INTEGER NOT NULL,
    latitude REAL NOT NULL,
    longitude REAL NOT NULL,
    speed REAL NOT NULL,
    height REAL NOT NULL,
    download_id INTEGER NOT NULL REFERENCES download(id),
    PRIMARY KEY (car_id, time)
) WITHOUT ROWID;
CREATE TABLE trip (
    id INTEGER PRIMARY KEY,
    car_id INTEGER NOT NULL REFERENCES car(id),
    start_time INTEGER NOT NULL,
    end_time INTEGER NOT NULL,
    fix_count INTEGER NOT NULL,
    distance_m REAL NOT NULL,
    start_latitude REAL NOT NULL,
    start_longitude REAL NOT NULL,
    end_latitude REAL NOT NULL,
    end_longitude REAL NOT NULL,
    start_address TEXT NOT NULL,
    end_address TEXT NOT NULL,
    trip_use TEXT NOT NULL,
    purpose TEXT NOT NULL,
    note TEXT NOT NULL,
    driver_dept TEXT NOT NULL,
    driver_name TEXT NOT NULL
);
CREATE UNIQUE INDEX trip_by_start ON trip(car_id, start_time);
CREATE INDEX trip_by_end ON trip(car_id, end_time);
CREATE TABLE odometer (
    id INTEGER PRIMARY KEY,
    car_id INTEGER NOT NULL REFERENCES car(id),
    time INTEGER NOT NULL,
    km REAL NOT NULL,
    note TEXT NOT NULL
);
CREATE INDEX odometer_by_time ON odometer(car_id, time);
CREATE TABLE history (
    id INTEGER PRIMARY KEY,
    car_id INTEGER NOT NULL REFERENCES car(id),
    made_at INTEGER NOT NULL,
    trip_id INTEGER NOT NULL,
    trip_start INTEGER NOT NULL,
    field TEXT NOT NULL,
    old_value TEXT NOT NULL,
    new_value TEXT NOT NULL,
    author TEXT NOT NULL
);
CREATE INDEX history_by_car ON history(car_id, id);
)sql";

// Values every car shares, kept whole under a key: the classification rules
// (named places, working hours, rules) as one document, so that every PC
// of a company classifies alike.
constexpr const char* kVersion2 = R"sql(
CREATE TABLE shared_value (
    key TEXT PRIMARY KEY,
    revision BIGINT NOT NULL,
    value TEXT NOT NULL
);
)sql";

constexpr SchemaStep kSteps[] = {
    {1, kVersion1},
    {2, kVersion2},
};

constexpr const char* kTables[] = {"car", "download", "fix", "trip", "odometer", "history"};

}  // namespace

std::span<const SchemaStep> SqliteSchemaSteps() { return kSteps; }
int LatestSchemaVersion() { return kSteps[std::size(kSteps) - 1].version; }
std::span<const char* const> LedgerTables() { return kTables; }

}  // namespace ml::ledger
