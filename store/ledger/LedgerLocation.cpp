#include "store/ledger/LedgerLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "store/platform/SettingsLocation.h"

namespace ml::ledger {

namespace {
std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}
}  // namespace

std::string ChooseLedgerPath(const LedgerLocationInputs& inputs) {
    if (!inputs.explicitPath.empty()) return inputs.explicitPath;
    if (!inputs.environmentPath.empty()) return inputs.environmentPath;
    if (!inputs.settingsUrl.empty()) return inputs.settingsUrl;
    if (!inputs.executableDir.empty() && ::access(inputs.executableDir.c_str(), W_OK | X_OK) == 0) {
        return inputs.executableDir + "/" + kLedgerFileName;
    }
    std::string data;
    if (!inputs.xdgDataHome.empty() && inputs.xdgDataHome.front() == '/') {
        data = inputs.xdgDataHome;
    } else if (!inputs.home.empty()) {
        data = inputs.home + "/.local/share";
    } else {
        return kLedgerFileName;
    }
    return data + "/MileLedger/" + kLedgerFileName;
}

std::string LedgerPath(const std::string& explicitPath, const std::string& settingsUrl) {
    return ChooseLedgerPath(
        {explicitPath, Env("MILELEDGER_LEDGER"), settingsUrl, PortableDir(), Env("XDG_DATA_HOME"), Env("HOME")});
}

std::string LedgerUser() {
    std::string name = Env("USER");
    if (name.empty()) name = Env("LOGNAME");
    if (name.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_name != nullptr) name = pw->pw_name;
    }
    return name;
}

}  // namespace ml::ledger
