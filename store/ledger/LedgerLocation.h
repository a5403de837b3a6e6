#pragma once
// Where ledger.sqlite3 lives, first match wins (the rule Setting.ini
// follows, with the data folder in place of the configuration folder):
//   1. an explicit location (--ledger PATH);
//   2. the MILELEDGER_LEDGER environment variable;
//   3. beside the executable, when its folder is writable;
//   4. $XDG_DATA_HOME/MileLedger/ledger.sqlite3, by default
//      ~/.local/share/MileLedger/ledger.sqlite3.
// And who the history names for the changes made (the user's login name).
#include <string>

namespace ml::ledger {

inline constexpr const char* kLedgerFileName = "ledger.sqlite3";

struct LedgerLocationInputs {
    std::string explicitPath;
    std::string environmentPath;  // MILELEDGER_LEDGER
    std::string executableDir;    // empty when unknown
    std::string xdgDataHome;      // XDG_DATA_HOME; ignored unless absolute
    std::string home;             // HOME
};

std::string ChooseLedgerPath(const LedgerLocationInputs& inputs);

// The rule for this process.
std::string LedgerPath(const std::string& explicitPath = {});

// The login name of this process's user ("" when unknown).
std::string LedgerUser();

}  // namespace ml::ledger
