// loggersim: plays a GNSS data logger on a pseudo-terminal. See --help and
// the README's section on the simulator.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "store/platform/FileIo.h"
#include "tools/loggersim/DemoLog.h"
#include "tools/loggersim/MtkLoggerModel.h"
#include "tools/loggersim/PhlxLoggerModel.h"
#include "tools/loggersim/PtyLink.h"
#include "tools/loggersim/SimOptions.h"
#include "tools/loggersim/SimRunner.h"

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) { gStop = 1; }

int Fail(const std::string& message) {
    std::fprintf(stderr, "loggersim: %s\n", message.c_str());
    return 1;
}

std::optional<std::string> ReadFile(const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes;
    if (ml::ReadFileBytes(path, bytes, error) != ml::ReadStatus::Ok) return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

std::unique_ptr<ml::sim::SimulatedLogger> MakeLogger(const ml::sim::SimOptions& options, std::string& error) {
    using namespace ml::sim;
    if (options.kind == SimOptions::Kind::Mtk) {
        std::vector<uint8_t> image;
        if (options.demo) {
            image = DemoMtkImage();
        } else {
            const std::optional<std::string> bytes = ReadFile(options.mtkImage, error);
            if (!bytes) return nullptr;
            const uint32_t flash = options.flashSize != 0 ? options.flashSize : MtkLoggerOptions{}.flashSize;
            if (bytes->size() > flash) {
                error = options.mtkImage + " is larger than the logger's flash (" + std::to_string(flash) + " bytes)";
                return nullptr;
            }
            image.assign(bytes->begin(), bytes->end());
        }
        MtkLoggerOptions mtk;
        if (options.chunkSize != 0) mtk.chunkSize = options.chunkSize;
        mtk.badChecksumEvery = options.badChecksumEvery;
        mtk.dropChunks = options.dropChunks;
        mtk.garbageBetween = options.garbageBetween;
        if (options.flashSize != 0) mtk.flashSize = options.flashSize;
        return std::make_unique<MtkLoggerModel>(std::move(image), mtk);
    }
    PhlxLogbook logbook;
    if (options.demo) {
        logbook = DemoPhlxLogbook();
    } else {
        const std::optional<std::string> text = ReadFile(options.phlxRecords, error);
        if (!text) return nullptr;
        PhlxLogbookResult parsed = ParsePhlxLogbook(*text);
        if (!parsed.error.empty()) {
            error = options.phlxRecords + ": " + parsed.error;
            return nullptr;
        }
        logbook = std::move(parsed.logbook);
    }
    PhlxLoggerOptions phlx;
    if (options.chunkSize != 0) phlx.packageSize = options.chunkSize;
    phlx.badChecksumEvery = options.badChecksumEvery;
    phlx.dropPackages = options.dropChunks;
    phlx.badPackageChecks = options.badPackageChecks;
    phlx.extraRecords = options.extraRecords;
    phlx.garbageBetween = options.garbageBetween;
    return std::make_unique<PhlxLoggerModel>(std::move(logbook), phlx);
}

// Points `path` at the port. Only a symbolic link (or nothing) is replaced,
// never a file someone keeps there.
bool MakeLink(const std::string& path, const std::string& target, std::string& error) {
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = path + " exists and is not a symbolic link; not replacing it";
            return false;
        }
        unlink(path.c_str());
    }
    if (symlink(target.c_str(), path.c_str()) != 0) {
        error = "cannot make the link " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace ml::sim;
    const SimOptionsResult parsed = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.options.help) {
        std::fputs(SimHelpText().c_str(), stdout);
        return 0;
    }
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "loggersim: %s\n", parsed.error.c_str());
        return 2;
    }
    const SimOptions& options = parsed.options;

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::string error;
    std::unique_ptr<SimulatedLogger> logger = MakeLogger(options, error);
    if (!logger) return Fail(error);

    PtyLink link;
    if (!link.Open(error)) return Fail(error);
    link.SetPacing(options.pace);

    SimRunner runner(link, *logger, options);
    if (!runner.OpenLog(error)) return Fail(error);
    if (!options.linkPath.empty() && !MakeLink(options.linkPath, link.slavePath(), error)) return Fail(error);

    std::printf("PORT %s\n", link.slavePath().c_str());
    std::fflush(stdout);
    runner.Trace(std::string("playing ") + (options.kind == SimOptions::Kind::Mtk ? "an MTK" : "a PHLX") +
                 " logger on " + link.slavePath());

    const int status = runner.Run(gStop);
    if (!options.linkPath.empty()) unlink(options.linkPath.c_str());
    return status;
}
