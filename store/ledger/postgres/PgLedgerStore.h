#pragma once
// The company ledger on PostgreSQL: many clients at once, each with its own
// database role.
//
// Transactions: a write runs at READ COMMITTED and locks each car's row
// before it reads that car's data (SqlLedgerTx), so writers of one car take
// turns and see each other's work in full, while writers of different cars
// run side by side; a read runs at REPEATABLE READ READ ONLY and sees one
// consistent state. Fixes are unique per car and time and go in with ON
// CONFLICT DO NOTHING. A transaction that fails on a serialization failure,
// a deadlock or a key another writer took first (a car both added) is run
// again, a bounded number of times.
//
// The schema: opening never changes it, since on a shared database that is
// the administrator's step; Open with migrate (mileledger-cli ledger
// migrate, as the tables' owner) brings it to this program's version.
// A database written by a newer program, or one holding tables of the
// ledger's names that are not a ledger, is refused.
//
// Who sees what: row-level security on every table of a car's data, through
// car_role (see LedgerSchema.cpp); the tables' owner sees everything.
#include <memory>
#include <string>

#include "store/ledger/LedgerStore.h"

namespace ml::ledger {

// Refused, without connecting, when the URL carries a password.
Status OpenPgLedgerStore(const std::string& url, bool migrate, std::unique_ptr<LedgerStore>& store);

}  // namespace ml::ledger
