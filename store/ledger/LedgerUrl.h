#pragma once
// Ledger locations that name a PostgreSQL database rather than a file:
// postgresql://[user@]host[:port]/db[?param=value&...] (or postgres://).
// A password never travels in one: libpq takes it from PGPASSWORD or
// ~/.pgpass, so that it is not written into Setting.ini, a script or the
// process list.
#include <string_view>

namespace ml::ledger {

bool IsPostgresLocation(std::string_view location);

// True when the URL's user part carries ":password" or its query a
// password parameter.
bool LedgerUrlHasPassword(std::string_view url);

}  // namespace ml::ledger
