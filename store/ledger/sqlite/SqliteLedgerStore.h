#pragma once
// The embedded ledger engine: one SQLite file in WAL mode with foreign keys
// on. Open checks an existing file read-only first (SQLite at all, ours,
// not newer, every table there), so a file that is refused is never
// touched; only then is it opened for writing and migrated forward.
#include <memory>
#include <string>

#include "store/ledger/LedgerStore.h"
#include "store/ledger/sql/SqlLedgerTx.h"
#include "store/ledger/sqlite/SqliteDb.h"

namespace ml::ledger {

class SqliteLedgerStore final : public LedgerStore {
public:
    static Status Open(const std::string& path, std::unique_ptr<LedgerStore>& store);
    ~SqliteLedgerStore() override;

    Status Run(const std::function<Status(LedgerTx&)>& work, Access access) override;
    const std::string& location() const override;

private:
    SqliteLedgerStore();
    Status RunOnce(const std::function<Status(LedgerTx&)>& work, Access access);

    SqliteDb db_;
    SqlLedgerTx tx_;
};

}  // namespace ml::ledger
