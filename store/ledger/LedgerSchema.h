#pragma once
// The ledger's tables, as versioned steps that every engine applies: step N
// brings a database of version N-1 to version N, inside one transaction.
// The statements are written once in the SQL that SQLite and PostgreSQL
// share; where the dialects must differ a statement carries a marker that
// SchemaStatements() fills in for the engine:
//   {ID}             the id column (SQLite's rowid alias, an identity column)
//   {BLOB}           raw bytes (BLOB, BYTEA)
//   {WITHOUT_ROWID}  SQLite's clustered table; nothing on PostgreSQL
//   {FIX_REFERENCES t(id)}  a fix's references to its car and download:
//                    checked per row by SQLite; left to the one statement
//                    that writes fixes on PostgreSQL (the car locked, the
//                    download just stored, neither ever deleted), where a
//                    check per row more than doubles a year's import
// and a few statements belong to one engine only (row-level security).
// Values that are single precision in the records (a fix's position, speed
// and height) are REAL: 8 bytes in SQLite, 4 in PostgreSQL, exact in both.
//
// The version lives in PRAGMA user_version on SQLite and in the one-row
// table schema_version on PostgreSQL. A database with a higher version than
// the last step was written by a newer program and is refused.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ml::ledger {

// SQLite: PRAGMA application_id of a ledger file ("MLDG").
inline constexpr int32_t kLedgerApplicationId = 0x4D4C4447;

enum class SqlDialect { Sqlite, Postgres };

// The statements that bring a database of version `version - 1` to
// `version`, for the engine.
std::vector<std::string> SchemaStatements(int version, SqlDialect dialect);
int LatestSchemaVersion();

// Tables every version has; a ledger that lacks one is damaged.
std::span<const char* const> LedgerTables();

}  // namespace ml::ledger
