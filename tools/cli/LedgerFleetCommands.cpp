// ledger migrate, ledger grant, ledger push: the company ledger's
// administration and a PC's catching up with it.
#include "core/TextFormat.h"
#include "store/ledger/LedgerLocation.h"
#include "store/ledger/LedgerSchema.h"
#include "tools/cli/LedgerCli.h"

namespace ml::cli {

int RunLedgerMigrate(LedgerCommand& command) {
    if (!command.args.words().empty()) return LedgerUsage("migrate", "takes no arguments");
    if (!command.Open(true)) return kExitFailure;
    return PrintOut(Format("schema version %d\n", ledger::LatestSchemaVersion())) ? 0 : kExitFailure;
}

int RunLedgerGrant(LedgerCommand& command) {
    const LedgerArgs& args = command.args;
    const auto role = args.Value("--role");
    const std::vector<std::string> regNos = args.Values("--car");
    const bool allCars = args.Has("--all-cars");
    if (!role || (regNos.empty() && !allCars) || !args.words().empty()) {
        return LedgerUsage("grant", "usage: ledger grant --role NAME (--car REGNO ... | --all-cars) [--revoke]");
    }
    const bool revoke = args.Has("--revoke");
    std::vector<ledger::Car> cars;
    for (const std::string& regNo : regNos) cars.push_back(command.Seed(regNo));
    auto opened = command.Open();
    if (!opened) return kExitFailure;
    if (const auto s = opened->Grant(*role, cars, allCars, revoke); !s.ok()) return LedgerFail(s);
    std::string out;
    const char* edit = revoke ? "revoked" : "edit";
    if (allCars) out += Format("%s\t*\t%s\n", Field(*role).c_str(), revoke ? "revoked" : "read");
    for (const std::string& regNo : regNos)
        out += Format("%s\t%s\t%s\n", Field(*role).c_str(), Field(regNo).c_str(), edit);
    return PrintOut(out) ? 0 : kExitFailure;
}

int RunLedgerPush(LedgerCommand& command) {
    const auto to = command.args.Value("--to");
    if (!to || !command.args.words().empty()) return LedgerUsage("push", "usage: ledger push --to URL [--car REGNO]");
    auto from = command.Open();
    if (!from) return kExitFailure;
    std::unique_ptr<ledger::Ledger> target;
    if (const auto s = ledger::OpenLedger(*to, ledger::LedgerUser(), target); !s.ok()) return LedgerFail(s);
    std::vector<ledger::PushResult> results;
    if (const auto s = from->Push(*target, command.args.Value("--car"), results); !s.ok()) return LedgerFail(s);
    std::string out;
    for (const ledger::PushResult& r : results) {
        out +=
            Format("%s\t%lld downloads\t%lld fixes\t%lld trips rebuilt\t%lld classified\t%lld readings\t%lld history\n",
                   Field(r.regNo).c_str(), static_cast<long long>(r.downloads), static_cast<long long>(r.fixes),
                   static_cast<long long>(r.tripsRebuilt), static_cast<long long>(r.classified),
                   static_cast<long long>(r.readings), static_cast<long long>(r.history));
    }
    return PrintOut(out) ? 0 : kExitFailure;
}

}  // namespace ml::cli
