#pragma once
// Where the ledger lives, first match wins (the rule Setting.ini follows,
// with the data folder in place of the configuration folder):
//   1. an explicit location (--ledger PATH or URL);
//   2. the MILELEDGER_LEDGER environment variable;
//   3. LEDGER_URL in the [services] section of Setting.ini (the company's
//      PostgreSQL database, see LedgerUrl.h);
//   4. ledger.sqlite3 beside the executable, when its folder is writable and
//      not under /usr (see PortableDir);
//   5. $XDG_DATA_HOME/MileLedger/ledger.sqlite3, by default
//      ~/.local/share/MileLedger/ledger.sqlite3.
// And who the history names for the changes made (the user's login name).
#include <string>

namespace ml::ledger {

inline constexpr const char* kLedgerFileName = "ledger.sqlite3";

struct LedgerLocationInputs {
    std::string explicitPath;
    std::string environmentPath;  // MILELEDGER_LEDGER
    std::string settingsUrl;      // LEDGER_URL of Setting.ini
    std::string executableDir;    // empty when unknown
    std::string xdgDataHome;      // XDG_DATA_HOME; ignored unless absolute
    std::string home;             // HOME
};

std::string ChooseLedgerPath(const LedgerLocationInputs& inputs);

// The rule for this process.
std::string LedgerPath(const std::string& explicitPath = {}, const std::string& settingsUrl = {});

// The login name of this process's user ("" when unknown).
std::string LedgerUser();

}  // namespace ml::ledger
