#pragma once
// The ledger's tables in SQLite, as versioned steps: step N brings a
// database of version N-1 to version N (PRAGMA user_version), inside the
// transaction that opens it. A database is ours when its application_id is
// kLedgerApplicationId; one with a higher version than the last step was
// written by a newer program and is refused.
//
// The statements keep to SQL that PostgreSQL reads as well where the
// dialects agree; WITHOUT ROWID and the blob type are SQLite's own.
#include <cstdint>
#include <span>

namespace ml::ledger {

inline constexpr int32_t kLedgerApplicationId = 0x4D4C4447;  // "MLDG"

struct SchemaStep {
    int version;
    const char* sql;
};

std::span<const SchemaStep> SqliteSchemaSteps();
int LatestSchemaVersion();

// Tables every version has; a ledger that lacks one is damaged.
std::span<const char* const> LedgerTables();

}  // namespace ml::ledger
