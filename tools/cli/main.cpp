// mileledger-cli: the program's work without windows, for scripts, memory
// dumps and checking results. Output formats are documented in the README
// and kept stable.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "tools/cli/Cli.h"

namespace ml::cli {

namespace {
struct Command {
    std::string usage;
    CommandFunction run = nullptr;
};

std::map<std::string, Command>& Registry() {
    static std::map<std::string, Command> registry;
    return registry;
}

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: mileledger-cli [--settings PATH] [--verbose] COMMAND ...\n");
    for (const auto& [name, command] : Registry()) {
        std::fprintf(out, "  %s\n", command.usage.c_str());
    }
}
}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFunction run) {
    Registry()[name] = Command{usage, run};
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "mileledger-cli: %s\n", message.c_str());
    return kExitFailure;
}

bool TakeValue(const std::vector<std::string>& args, size_t& i, std::string& value) {
    const std::string& option = args[i];
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        std::fprintf(stderr, "mileledger-cli: %s needs a value\n", option.c_str());
        return false;
    }
    value = args[++i];
    return true;
}

}  // namespace ml::cli

int main(int argc, char** argv) {
    using namespace ml::cli;
    CliContext context;
    if (const char* env = std::getenv("MILELEDGER_SETTINGS"); env != nullptr) {
        context.settingsPath = env;
    }
    if (const char* env = std::getenv("MILELEDGER_DEBUG"); env != nullptr && std::strcmp(env, "1") == 0) {
        context.verbose = true;
    }

    // Options common to every command may stand anywhere on the line.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--settings") {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "mileledger-cli: --settings needs a path\n");
                return kExitUsage;
            }
            context.settingsPath = argv[++i];
        } else if (arg == "--verbose") {
            context.verbose = true;
        } else if (arg == "--help" || arg == "-h") {
            PrintUsage(stdout);
            return 0;
        } else {
            args.push_back(arg);
        }
    }
    if (context.verbose) {
        ml::SetDiagSink([](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); });
    }
    if (args.empty()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    const std::string name = args.front();
    args.erase(args.begin());
    const auto found = Registry().find(name);
    if (found == Registry().end()) {
        std::fprintf(stderr, "mileledger-cli: unknown command '%s'\n", name.c_str());
        PrintUsage(stderr);
        return kExitUsage;
    }
    return found->second.run(context, args);
}
