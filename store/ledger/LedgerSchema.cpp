#include "store/ledger/LedgerSchema.h"

#include <iterator>
#include <optional>
#include <string_view>

namespace ml::ledger {

namespace {

struct Statement {
    const char* sql;
    std::optional<SqlDialect> only = std::nullopt;  // unset: both engines
    // Written once for every table that holds a car's data, with {TABLE}
    // and {CAR} (the column naming the car) filled in.
    bool perCarTable = false;
    const char* table = nullptr;  // fills in {TABLE} otherwise
};

struct Step {
    int version;
    std::span<const Statement> statements;
};

constexpr Statement kVersion1[] = {
    {R"sql(CREATE TABLE car (
    id {ID},
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
    base_odometer_km DOUBLE PRECISION NOT NULL
))sql"},
    {R"sql(CREATE TABLE download (
    id {ID},
    car_id BIGINT NOT NULL REFERENCES car(id),
    made_at BIGINT NOT NULL,
    source TEXT NOT NULL,
    kind TEXT NOT NULL,
    logger_id TEXT NOT NULL,
    detail TEXT NOT NULL,
    fix_count BIGINT NOT NULL,
    added_count BIGINT NOT NULL,
    first_time BIGINT NOT NULL,
    last_time BIGINT NOT NULL,
    partial INTEGER NOT NULL,
    raw {BLOB} NOT NULL
))sql"},
    // Memory images are large and compress well; lz4 does it many times
    // faster than the server's default.
    {"ALTER TABLE download ALTER COLUMN raw SET COMPRESSION lz4", SqlDialect::Postgres},
    {"CREATE INDEX download_by_logger ON download(car_id, logger_id, made_at)"},
    {R"sql(CREATE TABLE fix (
    car_id BIGINT NOT NULL{FIX_REFERENCES car(id)},
    time BIGINT NOT NULL,
    latitude REAL NOT NULL,
    longitude REAL NOT NULL,
    speed REAL NOT NULL,
    height REAL NOT NULL,
    download_id BIGINT NOT NULL{FIX_REFERENCES download(id)},
    PRIMARY KEY (car_id, time)
){WITHOUT_ROWID})sql"},
    {R"sql(CREATE TABLE trip (
    id {ID},
    car_id BIGINT NOT NULL REFERENCES car(id),
    start_time BIGINT NOT NULL,
    end_time BIGINT NOT NULL,
    fix_count BIGINT NOT NULL,
    distance_m DOUBLE PRECISION NOT NULL,
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
))sql"},
    {"CREATE UNIQUE INDEX trip_by_start ON trip(car_id, start_time)"},
    {"CREATE INDEX trip_by_end ON trip(car_id, end_time)"},
    {R"sql(CREATE TABLE odometer (
    id {ID},
    car_id BIGINT NOT NULL REFERENCES car(id),
    time BIGINT NOT NULL,
    km DOUBLE PRECISION NOT NULL,
    note TEXT NOT NULL
))sql"},
    {"CREATE INDEX odometer_by_time ON odometer(car_id, time)"},
    {R"sql(CREATE TABLE history (
    id {ID},
    car_id BIGINT NOT NULL REFERENCES car(id),
    made_at BIGINT NOT NULL,
    trip_id BIGINT NOT NULL,
    trip_start BIGINT NOT NULL,
    field TEXT NOT NULL,
    old_value TEXT NOT NULL,
    new_value TEXT NOT NULL,
    author TEXT NOT NULL
))sql"},
    {"CREATE INDEX history_by_car ON history(car_id, id)"},
};

// Who may see and edit which car. A row names a database role (a member of
// it qualifies too) and a car; car 0 stands for every car, to read only.
// The engine that has roles keeps every car's rows to the roles assigned.
constexpr Statement kVersion2[] = {
    {R"sql(CREATE TABLE car_role (
    role_name TEXT NOT NULL,
    car_id BIGINT NOT NULL,
    PRIMARY KEY (role_name, car_id)
))sql"},
    {"ALTER TABLE car_role ENABLE ROW LEVEL SECURITY", SqlDialect::Postgres},
    {"CREATE POLICY own_roles ON car_role FOR SELECT USING "
     "(role_name IN (SELECT rolname FROM pg_roles WHERE pg_has_role(oid, 'MEMBER')))",
     SqlDialect::Postgres},
    {"ALTER TABLE {TABLE} ENABLE ROW LEVEL SECURITY", SqlDialect::Postgres, true},
    {"CREATE POLICY read_assigned ON {TABLE} FOR SELECT USING "
     "({CAR} IN (SELECT car_id FROM car_role) OR EXISTS (SELECT 1 FROM car_role WHERE car_id = 0))",
     SqlDialect::Postgres, true},
    {"CREATE POLICY edit_assigned ON {TABLE} USING ({CAR} IN (SELECT car_id FROM car_role)) "
     "WITH CHECK ({CAR} IN (SELECT car_id FROM car_role))",
     SqlDialect::Postgres, true},
};

// A step that adds a table gives it to the roles allowed cars before, as
// `ledger grant` would have: every such role reads it, one that edits a car
// writes it.
constexpr const char* kGrantEarlierRoles = R"sql(DO $$
DECLARE r RECORD;
BEGIN
    FOR r IN SELECT role_name, bool_or(car_id <> 0) AS edits FROM car_role GROUP BY role_name LOOP
        EXECUTE format('GRANT SELECT ON {TABLE} TO %I', r.role_name);
        IF r.edits THEN
            EXECUTE format('GRANT INSERT, UPDATE, DELETE ON {TABLE} TO %I', r.role_name);
        END IF;
    END LOOP;
END $$)sql";

// Per logger of a car, what the ledger knows of its memory, so that a
// download reads only what is new and an erase loses nothing: an MTK
// logger's memory image as far as read (and how much of it is imported),
// the PHLX logs read whole (one line each, see FormatKeptLogs). Kept to the
// car's roles like every table of a car's data; roles allowed a car before
// this step get the table's rights as `ledger grant` gives them.
constexpr Statement kVersion3[] = {
    {R"sql(CREATE TABLE logger_memory (
    car_id BIGINT NOT NULL REFERENCES car(id),
    logger_id TEXT NOT NULL,
    kind TEXT NOT NULL,
    download_id BIGINT NOT NULL REFERENCES download(id),
    changed_at BIGINT NOT NULL,
    image {BLOB} NOT NULL,
    imported_bytes BIGINT NOT NULL,
    logs TEXT NOT NULL,
    PRIMARY KEY (car_id, logger_id)
))sql"},
    {"ALTER TABLE logger_memory ALTER COLUMN image SET COMPRESSION lz4", SqlDialect::Postgres},
    {"ALTER TABLE logger_memory ENABLE ROW LEVEL SECURITY", SqlDialect::Postgres},
    {"CREATE POLICY read_assigned ON logger_memory FOR SELECT USING "
     "(car_id IN (SELECT car_id FROM car_role) OR EXISTS (SELECT 1 FROM car_role WHERE car_id = 0))",
     SqlDialect::Postgres},
    {"CREATE POLICY edit_assigned ON logger_memory USING (car_id IN (SELECT car_id FROM car_role)) "
     "WITH CHECK (car_id IN (SELECT car_id FROM car_role))",
     SqlDialect::Postgres},
    {kGrantEarlierRoles, SqlDialect::Postgres, false, "logger_memory"},
};

// Values every car shares, kept whole under a key: the classification rules
// (named places, working hours, rules) as one document, so that every PC
// of a company classifies alike. The company's, not a car's: every role
// reads them; a role that may edit some car may change them, one that only
// reads (the accountant) may not, nor one whose cars were all taken back
// (the policy asks car_role, which shows a role only its own rows). Roles
// allowed cars before this step get the table's rights as `ledger grant`
// gives them.
constexpr Statement kVersion4[] = {
    {R"sql(CREATE TABLE shared_value (
    key TEXT PRIMARY KEY,
    revision BIGINT NOT NULL,
    value TEXT NOT NULL
))sql"},
    {"ALTER TABLE shared_value ENABLE ROW LEVEL SECURITY", SqlDialect::Postgres},
    {"CREATE POLICY read_all ON shared_value FOR SELECT USING (true)", SqlDialect::Postgres},
    {"CREATE POLICY edit_by_editors ON shared_value USING (EXISTS (SELECT 1 FROM car_role WHERE car_id <> 0)) "
     "WITH CHECK (EXISTS (SELECT 1 FROM car_role WHERE car_id <> 0))",
     SqlDialect::Postgres},
    {kGrantEarlierRoles, SqlDialect::Postgres, false, "shared_value"},
};

constexpr Step kSteps[] = {
    {1, kVersion1},
    {2, kVersion2},
    {3, kVersion3},
    {4, kVersion4},
};

constexpr const char* kTables[] = {"car", "download", "fix", "trip", "odometer", "history"};

struct CarTable {
    const char* table;
    const char* carColumn;
};
constexpr CarTable kCarTables[] = {{"car", "id"},      {"download", "car_id"}, {"fix", "car_id"},
                                   {"trip", "car_id"}, {"odometer", "car_id"}, {"history", "car_id"}};

void ReplaceAll(std::string& text, std::string_view marker, std::string_view value) {
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
}

std::string ForDialect(std::string sql, SqlDialect dialect) {
    const bool lite = dialect == SqlDialect::Sqlite;
    ReplaceAll(sql, "{ID}", lite ? "INTEGER PRIMARY KEY" : "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    ReplaceAll(sql, "{BLOB}", lite ? "BLOB" : "BYTEA");
    ReplaceAll(sql, "{WITHOUT_ROWID}", lite ? " WITHOUT ROWID" : "");
    ReplaceAll(sql, "{FIX_REFERENCES car(id)}", lite ? " REFERENCES car(id)" : "");
    ReplaceAll(sql, "{FIX_REFERENCES download(id)}", lite ? " REFERENCES download(id)" : "");
    return sql;
}

}  // namespace

std::vector<std::string> SchemaStatements(int version, SqlDialect dialect) {
    std::vector<std::string> out;
    for (const Step& step : kSteps) {
        if (step.version != version) continue;
        for (const Statement& s : step.statements) {
            if (s.only && *s.only != dialect) continue;
            if (!s.perCarTable) {
                std::string sql = ForDialect(s.sql, dialect);
                if (s.table) ReplaceAll(sql, "{TABLE}", s.table);
                out.push_back(std::move(sql));
                continue;
            }
            for (const CarTable& t : kCarTables) {
                std::string sql = ForDialect(s.sql, dialect);
                ReplaceAll(sql, "{TABLE}", t.table);
                ReplaceAll(sql, "{CAR}", t.carColumn);
                out.push_back(std::move(sql));
            }
        }
    }
    return out;
}

int LatestSchemaVersion() { return kSteps[std::size(kSteps) - 1].version; }
std::span<const char* const> LedgerTables() { return kTables; }

}  // namespace ml::ledger
