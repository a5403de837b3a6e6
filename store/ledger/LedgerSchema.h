#pragma once
// The ledger's tables, as versioned steps that every engine applies: step N
// brings a database of version N-1 to version N, inside one transaction.
// The statements are written once in the SQL that SQLite and PostgreSQL
// share; where the dialects must differ a statement carries a marker that
// SchemaStatements() fills in for the engine:
//   {ID}             the id column (SQLite's rowid alias, an identity column)
//   {BLOB}           raw bytes (BLOB, BYTEA)
//   {WITHOUT_ROWID}  SQLite's clustered table; nothing on PostgreSQL
// and a few statements belong to one engine only (row-level security).
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
