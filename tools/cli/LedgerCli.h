#pragma once
// `mileledger-cli ledger SUBCOMMAND ...`: the pieces its subcommands share.
// Each subcommand file defines its Run function; CommandLedger.cpp routes.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/LedgerTypes.h"
#include "store/ledger/Ledger.h"
#include "tools/cli/Cli.h"

namespace ml::cli {

// The options of one subcommand: those that take a value (may repeat) and
// those that stand alone, plus the words that are not options.
class LedgerArgs {
public:
    // False with a message naming the offending word.
    bool Parse(const std::vector<std::string>& args, const std::vector<std::string_view>& valued,
               const std::vector<std::string_view>& flags, std::string& error);
    std::optional<std::string> Value(std::string_view name) const;  // the last one given
    std::vector<std::string> Values(std::string_view name) const;
    bool Has(std::string_view name) const;
    const std::vector<std::string>& words() const { return words_; }

private:
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> words_;
};

struct LedgerCommand {
    CliContext& context;
    std::string location;  // --ledger PATH or URL; empty: the usual place
    LedgerArgs args;

    // Opens the ledger (one line on stderr when it fails): --ledger,
    // MILELEDGER_LEDGER, LEDGER_URL of the settings, the usual file.
    // `migrate` brings a company database to this program's schema.
    std::unique_ptr<ledger::Ledger> Open(bool migrate = false);
    // A new car's details, from the settings.
    ledger::Car Seed(std::string_view regNo);
    // Opens the ledger, finds the car and reads the period options (see
    // PeriodOf): 0, or the exit status after a one-line message.
    int OpenForPeriod(const std::string& regNo, std::unique_ptr<ledger::Ledger>& opened, ledger::Car& car,
                      std::optional<ledger::Period>& period);
};

// "mileledger-cli: ledger NAME: MESSAGE" on stderr, usage status.
int LedgerUsage(std::string_view name, const std::string& message);
// A ledger failure as one line, exit status 1.
int LedgerFail(const ledger::Status& status);

// A text made safe for one tab-separated field (tabs and line breaks print as blanks).
std::string Field(std::string_view text);
// Writes `text` to standard output; false (after a message) when it cannot.
bool PrintOut(const std::string& text);

// --from YYYY-MM-DD / --to YYYY-MM-DD / --year YYYY of a command, for `car`.
// Empty when the command names none; false with a message when one is bad.
bool PeriodOf(const LedgerArgs& args, const ledger::Car& car, std::optional<ledger::Period>& period,
              std::string& error);

int RunLedgerCar(LedgerCommand& command);
int RunLedgerImport(LedgerCommand& command);
int RunLedgerRead(LedgerCommand& command);
int RunLedgerTrips(LedgerCommand& command);
int RunLedgerClassify(LedgerCommand& command);
int RunLedgerOdometer(LedgerCommand& command);
int RunLedgerReport(LedgerCommand& command);
int RunLedgerSummary(LedgerCommand& command);
int RunLedgerHistory(LedgerCommand& command);
int RunLedgerMigrate(LedgerCommand& command);
int RunLedgerGrant(LedgerCommand& command);
int RunLedgerPush(LedgerCommand& command);

}  // namespace ml::cli
