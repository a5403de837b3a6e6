#pragma once
// A real PostgreSQL 15 server for the test program (and the benchmarks):
// started once, on first use, in a fresh temporary folder (initdb, pg_ctl)
// on a free port of 127.0.0.1, and stopped and removed when the program
// ends, however it ends (a watchdog process waits for it). Run as root, as
// CI does, the server runs as the user nobody, since PostgreSQL refuses
// root. Authentication is trust: any role logs in by name.
#include <string>

namespace ml::test {

class PgTestServer {
public:
    // The program's server; nullptr when it cannot run, with the reason in
    // `whyNot` (the server programs are missing, or it failed to start).
    // `durable` (benchmarks): fsync and synchronous commit as in production;
    // the tests go without.
    static PgTestServer* Get(std::string& whyNot, bool durable = false);
    // True when the server programs are not installed: the only reason a
    // test may skip rather than fail.
    static bool ProgramsMissing();

    // A new empty database's name ("" when it cannot be made).
    std::string NewDatabase();
    // The database's URL for `role` (a login role; the superuser by default).
    std::string Url(const std::string& database, const std::string& role = "postgres") const;
    // Runs SQL on the database as the superuser; empty, or the error.
    std::string Sql(const std::string& database, const std::string& sql) const;

private:
    PgTestServer() = default;
    int port_ = 0;
    int databases_ = 0;
};

}  // namespace ml::test
