#include "tests/support/PgTestServer.h"

#include <fcntl.h>
#include <libpq-fe.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "tests/support/TestSupport.h"

namespace ml::test {

namespace {

constexpr const char* kBinDir = "/usr/lib/postgresql/15/bin";

int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

// The server's programs run as nobody when we are root.
std::vector<std::string> AsServerUser(std::vector<std::string> command) {
    if (::geteuid() != 0) return command;
    const passwd* nobody = ::getpwnam("nobody");
    const std::string uid = std::to_string(nobody != nullptr ? nobody->pw_uid : 65534);
    const std::string gid = std::to_string(nobody != nullptr ? nobody->pw_gid : 65534);
    command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=" + uid, "--regid=" + gid, "--clear-groups", "--"});
    return command;
}

void Stop(const std::string& dir) {
    RunProcess(AsServerUser({std::string(kBinDir) + "/pg_ctl", "-D", dir + "/data", "-m", "immediate", "-w", "stop"}));
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

// Stops the server and removes its folder once the test program is gone:
// it waits for the end of a pipe that only the program (and its forked
// children) hold open.
void StartWatchdog(const std::string& dir) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[1]);
        char byte = 0;
        while (::read(fds[0], &byte, 1) > 0) {
        }
        Stop(dir);
        _exit(0);
    }
    ::close(fds[0]);
    // The write end stays open (and unused) for the program's life.
    static const int keep = fds[1];
    (void)keep;
}

std::string StartServer(const std::string& dir, int port, bool durable) {
    const std::string bin = kBinDir;
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr || ::chown(dir.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
            return "cannot hand " + dir + " to nobody";
    }
    const ProcessResult init = RunProcess(AsServerUser({bin + "/initdb", "-D", dir + "/data", "-U", "postgres",
                                                        "--auth=trust", "-E", "UTF8", "--locale=C", "--no-sync"}),
                                          {"LC_ALL=C"}, {}, 120);
    if (init.exitCode != 0) return "initdb failed: " + init.err;
    std::string settings = "-c listen_addresses=127.0.0.1 -c port=" + std::to_string(port) + " -k " + dir;
    // Durable: as a company's server runs, with memory for a few writers.
    settings += durable ? " -c shared_buffers=1GB -c wal_buffers=64MB -c max_wal_size=8GB"
                        : " -c fsync=off -c synchronous_commit=off -c full_page_writes=off";
    const ProcessResult start =
        RunProcess(AsServerUser({bin + "/pg_ctl", "-D", dir + "/data", "-l", dir + "/server.log", "-w", "-t", "60",
                                 "-o", settings, "start"}),
                   {"LC_ALL=C"}, {}, 90);
    if (start.exitCode != 0) return "pg_ctl start failed: " + start.err + ReadText(dir + "/server.log");
    return {};
}

}  // namespace

bool PgTestServer::ProgramsMissing() { return !std::filesystem::exists(std::string(kBinDir) + "/initdb"); }

PgTestServer* PgTestServer::Get(std::string& whyNot, bool durable) {
    static std::unique_ptr<PgTestServer> server;
    static const std::string failure = [&]() -> std::string {
        if (ProgramsMissing()) {
            return std::string("PostgreSQL server programs not found in ") + kBinDir +
                   " (Debian package postgresql): PostgreSQL tests skipped";
        }
        char pattern[] = "/tmp/mileledger-pg-XXXXXX";
        const char* dir = ::mkdtemp(pattern);
        const int port = FreePort();
        if (dir == nullptr || port == 0) return "no temporary folder or free port for the PostgreSQL server";
        StartWatchdog(dir);
        const std::string error = StartServer(dir, port, durable);
        if (error.empty()) {
            server.reset(new PgTestServer());
            server->port_ = port;
        }
        return error;
    }();
    whyNot = failure;
    return server.get();
}

std::string PgTestServer::Url(const std::string& database, const std::string& role) const {
    return "postgresql://" + role + "@127.0.0.1:" + std::to_string(port_) + "/" + database + "?sslmode=disable";
}

std::string PgTestServer::NewDatabase() {
    const std::string name = "ledger" + std::to_string(++databases_);
    return Sql("postgres", "CREATE DATABASE " + name).empty() ? name : std::string();
}

std::string PgTestServer::Sql(const std::string& database, const std::string& sql) const {
    PGconn* conn = PQconnectdb(Url(database).c_str());
    std::string error;
    if (PQstatus(conn) != CONNECTION_OK) {
        error = PQerrorMessage(conn);
    } else {
        PGresult* result = PQexec(conn, sql.c_str());
        const ExecStatusType state = PQresultStatus(result);
        if (state != PGRES_COMMAND_OK && state != PGRES_TUPLES_OK) error = PQresultErrorMessage(result);
        PQclear(result);
    }
    PQfinish(conn);
    return error;
}

}  // namespace ml::test
